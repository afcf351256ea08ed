// A window from which a file can be dragged, as from a file manager: a press
// on it starts a drag of the file named on the command line, carried to its
// target by the X drag-and-drop protocol. The real-window test drives it with
// the pointer.
//   drag_source FILE
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <cstdio>

namespace {

class DragSource : public QLabel {
 public:
  explicit DragSource(const QString& file) : QLabel(QStringLiteral("drag me")), file_(file) {
    setWindowTitle(QStringLiteral("drag source"));
    setFixedSize(120, 80);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QFileInfo(file_).absoluteFilePath())});
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const Qt::DropAction done = drag->exec(Qt::CopyAction);
    std::printf("%s\n", done == Qt::CopyAction ? "dropped" : "refused");
    std::fflush(stdout);
  }

 private:
  QString file_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: drag_source FILE\n");
    return 2;
  }
  DragSource source(QFile::decodeName(argv[1]));
  source.move(0, 0);
  source.show();
  return application.exec();
}

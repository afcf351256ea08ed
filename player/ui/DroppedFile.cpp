#include "DroppedFile.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

class TFileDropFilter : public QObject {
 public:
  TFileDropFilter(QObject& owner, std::function<void(const std::string&)> open)
      : QObject(&owner), open_(std::move(open)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::DragEnter) {
      auto* enter = static_cast<QDragEnterEvent*>(event);
      if (DroppedFile(enter->mimeData())) enter->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      if (const std::optional<std::string> file = DroppedFile(drop->mimeData())) {
        drop->acceptProposedAction();
        open_(*file);
      }
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(const std::string&)> open_;
};

}  // namespace

std::optional<std::string> DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return std::nullopt;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isFile()) return QFile::encodeName(path).toStdString();
  }
  return std::nullopt;
}

void AcceptFileDrops(QWidget& window, QObject& owner, std::function<void(const std::string&)> open) {
  window.setAcceptDrops(true);
  window.installEventFilter(new TFileDropFilter(owner, std::move(open)));
}

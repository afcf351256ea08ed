#include "TextLesson.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

#include "ScreencastMovies.h"

namespace {

const char* const kWords[] = {"Файл",     "Правка",    "Настройки", "печати",   "Сохранить", "Открыть",  "Отмена",
                              "Параметры", "Документ", "Шрифт",     "Справка",  "Формат",    "Таблица",  "Вставка",
                              "File",     "Edit",      "View",      "Print",    "Settings",  "Save",     "Open",
                              "Options",  "Document",  "Font",      "Help",     "Window",    "install",  "package"};
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];

QString LineText(int n) {
  QString text;
  for (int w = 0; w < 6; ++w) text += QString::fromUtf8(kWords[(n * 11 + w * 5) % kWordCount]) + ' ';
  return text.trimmed();
}

}  // namespace

std::unique_ptr<SegInfo> MakeTextLesson(int width, int height, int frames) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(13);
  const QFontMetrics metrics(font);
  const int lineHeight = metrics.height() + 4, rows = (height - 200) / lineHeight;
  const int letters = static_cast<int>(LineText(0).size());
  // A line is typed in its letters' frames, then stands still for as long again.
  const int linePeriod = letters * 2;
  return MakeDrawnSegment(width, height, 32, frames, [&](moviewriter::Picture& picture, int f) {
    QImage image(reinterpret_cast<uchar*>(picture.pixels.data()), width, height, width * 4, QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(font);
    const int line = f / linePeriod, typed = std::min(f % linePeriod + 1, letters);
    const int top = line / rows * rows;  // the first line shown: the document scrolls a page at a time
    const bool dialog = f % 600 >= 450;  // open for the last 30 s of every two minutes
    // The whole picture is drawn on the first frame, a page turn and a dialog coming or going.
    const bool whole = f == 0 || (f % linePeriod == 0 && line % rows == 0) || f % 600 == 0 || f % 600 == 450;
    if (whole) {
      p.fillRect(0, 0, width, height, QColor(0x3a, 0x6e, 0xa5));
      p.fillRect(60, 60, width - 120, height - 120, Qt::white);
      p.setPen(Qt::black);
      for (int r = top; r < line; ++r) p.drawText(80, 90 + (r - top) * lineHeight, LineText(r));
    }
    // The line being typed, and its blinking caret.
    const int y = 90 + (line - top) * lineHeight;
    p.fillRect(80, y - metrics.ascent(), width - 200, lineHeight, Qt::white);
    p.setPen(Qt::black);
    const QString shown = LineText(line).left(typed);
    p.drawText(80, y, shown);
    if (f % 10 < 5) p.fillRect(80 + metrics.horizontalAdvance(shown) + 1, y - metrics.ascent(), 2, metrics.height(), Qt::black);
    if (dialog) {
      const int dx = width / 2 - 250, dy = height / 2 - 150;
      p.fillRect(dx, dy, 500, 300, QColor(0xf0, 0xf0, 0xf0));
      p.fillRect(dx, dy, 500, 28, QColor(0x1f, 0x3a, 0x68));
      p.setPen(Qt::white);
      p.drawText(dx + 10, dy + 19, QStringLiteral("Настройки печати"));
      p.setPen(Qt::black);
      for (int r = 0; r < 8; ++r) p.drawText(dx + 20, dy + 60 + r * lineHeight, LineText(1000 + f / 600 * 8 + r));
    }
  });
}

#include "TextCorpus.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>

namespace {

constexpr int kWidth = 800, kHeight = 480;

const char* const kWords[] = {
    "Файл",      "Правка",    "Настройки", "печати",    "Сохранить", "Открыть",   "Отмена",    "Параметры",
    "Документ",  "Шрифт",     "Справка",   "Формат",    "Таблица",   "Вставка",   "Сервис",    "Просмотр",
    "Свойства",  "Поиск",     "Замена",    "Принтер",   "Страница",  "Ориентация", "Копии",    "Масштаб",
    "File",      "Edit",      "View",      "Print",     "Settings",  "Save",      "Open",      "Cancel",
    "Options",   "Document",  "Font",      "Help",      "Window",    "Format",    "Insert",    "Tools",
    "Preview",   "Properties", "Export",   "Search",    "Replace",   "Network",   "Account",   "Password",
    "ёлка",      "Объём",     "сервер",    "команда",   "install",   "package",   "folder",    "update"};
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];

// A word for place `n`, spread over the list so that neighbours differ.
QString WordAt(size_t n) { return QString::fromUtf8(kWords[(n * 5 + 3) % kWordCount]); }

struct TDrawnWord {
  QString text;
  QRect box;
  bool lightOnDark;
};

class TScene {
 public:
  TScene(const std::string& family, int points) : font_(QString::fromStdString(family)) {
    font_.setPointSize(points);
    // Interface text is drawn with hinting, as the desktop draws it.
    font_.setHintingPreference(QFont::PreferFullHinting);
  }

  // The picture of the moment: the dialog and the panel, the document's
  // lines from `firstLine`, and the first `typed` letters of the typed line.
  QImage Draw(bool shown, int firstLine, int typed, std::vector<TDrawnWord>& words) const {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(QColor(0x3a, 0x6e, 0xa5));  // the desktop
    words.clear();
    if (!shown) return image;
    QPainter p(&image);
    p.setFont(font_);
    const QFontMetrics m(font_, &image);
    const int line = m.height() + 4;
    // The dialog: a dark title, light body, buttons.
    p.fillRect(20, 20, 360, 200, QColor(0xf0, 0xf0, 0xf0));
    p.fillRect(20, 20, 360, line + 6, QColor(0x1f, 0x3a, 0x68));
    Row(p, m, 30, 23 + m.ascent(), 2, 0, Qt::white, true, words);
    for (int r = 0; r < 4; ++r) Row(p, m, 30, 30 + line * (r + 2), 3, 10 + r * 3, Qt::black, false, words);
    // The editor panel: light text on a dark ground.
    p.fillRect(400, 20, 380, 200, QColor(0x1e, 0x1e, 0x1e));
    for (int r = 0; r < 5; ++r) Row(p, m, 410, 30 + m.ascent() + line * r, 3, 40 + r * 3, QColor(0xd4, 0xd4, 0xd4), true, words);
    // The document: white, its lines scrolled by `firstLine`, the last one being typed.
    p.fillRect(20, 240, 760, 220, Qt::white);
    p.setClipRect(20, 240, 760, 220);
    const int rows = std::min(4, 200 / line);
    for (int r = 0; r < rows; ++r) {
      const int y = 250 + m.ascent() + line * r;
      const int n = firstLine + r;
      if (n == kTypedLine - 0 && typed >= 0) {
        TypedRow(p, m, 30, y, typed, words);
      } else if (n < kTypedLine) {
        Row(p, m, 30, y, 5, 80 + n * 5, Qt::black, false, words);
      }
    }
    return image;
  }

  static constexpr int kTypedLine = 3;
  QString TypedText() const { return WordAt(200) + " " + WordAt(201) + " " + WordAt(202); }

 private:
  void Row(QPainter& p, const QFontMetrics& m, int x, int baseline, int count, size_t first, QColor colour,
           bool lightOnDark, std::vector<TDrawnWord>& words) const {
    p.setPen(colour);
    for (int i = 0; i < count; ++i) {
      const QString word = WordAt(first + static_cast<size_t>(i));
      p.drawText(x, baseline, word);
      words.push_back({word, m.tightBoundingRect(word).translated(x, baseline), lightOnDark});
      x += m.horizontalAdvance(word + " ");
    }
  }

  void TypedRow(QPainter& p, const QFontMetrics& m, int x, int baseline, int typed, std::vector<TDrawnWord>& words) const {
    const QString text = TypedText().left(typed);
    p.setPen(Qt::black);
    p.drawText(x, baseline, text);
    // Only the words typed to their end are whole.
    const QStringList full = TypedText().split(' ');
    int at = 0;
    for (const QString& word : full) {
      if (at + word.size() <= typed)
        words.push_back({word, m.tightBoundingRect(word).translated(x + m.horizontalAdvance(TypedText().left(at)), baseline), false});
      at += static_cast<int>(word.size()) + 1;
    }
  }

  QFont font_;
};

moviewriter::Picture ToPicture(const QImage& image) {
  moviewriter::Picture picture(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) picture.at(x, y) = row[x] & 0xFFFFFF;
  }
  return picture;
}

}  // namespace

bool FindsWord(const TTextLine& line, const TCorpusWord& word) {
  const TTextBox& a = line.box;
  const TTextBox& b = word.box;
  const int w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
  const int h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
  return line.segment == word.segment && line.firstFrame >= word.firstFrame && line.firstFrame <= word.lastFrame &&
         w > 0 && h > 0 && 2 * w * h >= b.width * b.height;
}

std::vector<std::string> CorpusFonts() {
  return {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono", "Liberation Sans", "Liberation Serif", "Liberation Mono"};
}

std::vector<int> CorpusPoints() { return {8, 9, 10, 11, 12, 14}; }

TCorpusMovie MakeCorpusMovie(const std::string& font, const std::vector<int>& points, int frameRate) {
  TCorpusMovie movie;
  for (const int size : points) {
    const TScene scene(font, size);
    moviewriter::Segment segment;
    segment.name = font + " " + std::to_string(size);
    segment.frameRate = static_cast<uint8_t>(frameRate);
    segment.width = kWidth;
    segment.height = kHeight;
    segment.shapes = {moviewriter::ArrowShape()};
    // The timeline in seconds: shown at 0.4, typed a letter a frame from 2.4,
    // still for two seconds, scrolled a line, still for three seconds.
    const int shownAt = frameRate * 2 / 5, typingAt = frameRate * 12 / 5;
    const int letters = static_cast<int>(scene.TypedText().size());
    const int scrollAt = typingAt + letters + 2 * frameRate, end = scrollAt + 3 * frameRate;
    std::vector<std::vector<TDrawnWord>> drawn(static_cast<size_t>(end));
    for (int f = 0; f < end; ++f) {
      const int typed = f < typingAt ? -1 : std::min(f - typingAt + 1, letters);
      const QImage image = scene.Draw(f >= shownAt, f >= scrollAt ? 1 : 0, f >= scrollAt ? letters : typed,
                                      drawn[static_cast<size_t>(f)]);
      moviewriter::Frame frame;
      frame.picture = ToPicture(image);
      // The cursor wanders, as it does while someone works.
      frame.cursor = {0, static_cast<uint16_t>(100 + (f * 13) % 500), static_cast<uint16_t>(60 + (f * 7) % 300)};
      segment.frames.push_back(std::move(frame));
    }
    // Each word drawn at a place: from the first frame it stood there to the last.
    const int segmentIndex = static_cast<int>(movie.segments.size());
    for (int f = 0; f < end; ++f) {
      for (const TDrawnWord& w : drawn[static_cast<size_t>(f)]) {
        const bool before = f > 0 && std::any_of(drawn[static_cast<size_t>(f - 1)].begin(),
                                                 drawn[static_cast<size_t>(f - 1)].end(), [&](const TDrawnWord& o) {
                                                   return o.text == w.text && o.box == w.box;
                                                 });
        if (before) continue;
        int last = f;
        while (last + 1 < end && std::any_of(drawn[static_cast<size_t>(last + 1)].begin(),
                                             drawn[static_cast<size_t>(last + 1)].end(), [&](const TDrawnWord& o) {
                                               return o.text == w.text && o.box == w.box;
                                             }))
          ++last;
        movie.words.push_back({w.text.toStdString(), font, size, size * 96 / 72, w.lightOnDark, segmentIndex,
                               f, last, {w.box.x(), w.box.y(), w.box.width(), w.box.height()}});
      }
    }
    movie.segments.push_back(std::move(segment));
  }
  return movie;
}

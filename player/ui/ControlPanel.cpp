// The main window's actions and its control panel along the bottom edge.
#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include "ekLensaPlayerImpl1.h"

namespace {

enum class Glyph { Open, Play, Pause, Stop };

// A 16 × 16 picture on white with a black outline; the button's transparent
// colour is left out of it, so a button marked with black shows it differently.
QIcon GlyphIcon(Glyph glyph, QColor transparent) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setPen(Qt::black);
  switch (glyph) {
    case Glyph::Open:
      painter.setBrush(QColor(230, 200, 60));
      painter.drawRect(1, 4, 13, 9);
      break;
    case Glyph::Play: {
      painter.setBrush(QColor(0, 160, 0));
      const QPoint triangle[] = {{4, 2}, {12, 8}, {4, 14}};
      painter.drawPolygon(triangle, 3);
      break;
    }
    case Glyph::Pause:
      painter.setBrush(QColor(40, 40, 160));
      painter.drawRect(3, 3, 3, 10);
      painter.drawRect(10, 3, 3, 10);
      break;
    case Glyph::Stop:
      painter.setBrush(QColor(160, 40, 40));
      painter.drawRect(3, 3, 10, 10);
      break;
  }
  painter.end();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (image.pixelColor(x, y).rgb() == transparent.rgb()) image.setPixelColor(x, y, Qt::transparent);
  return QIcon(QPixmap::fromImage(image));
}

Glyph GlyphOf(const QString& name) {
  if (name == QLatin1String("btnPlay")) return Glyph::Play;
  if (name == QLatin1String("btnPause")) return Glyph::Pause;
  if (name == QLatin1String("btnStop")) return Glyph::Stop;
  return Glyph::Open;
}

}  // namespace

void TekLensaPlayer::CreateActions() {
  const auto make = [this](const char* caption, QKeySequence key, void (TekLensaPlayer::*handler)()) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    addAction(action);
    return action;
  };
  ALoadFromFile = new QAction(QStringLiteral("Загрузить"), this);
  ALoadFromFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  addAction(ALoadFromFile);
  APlay = make("Воспроизведение", QKeySequence(Qt::Key_F9), &TekLensaPlayer::APlayExecute);
  APause = make("Пауза", QKeySequence(Qt::Key_F10), &TekLensaPlayer::APauseExecute);
  AStop = make("Стоп", QKeySequence(Qt::Key_F11), &TekLensaPlayer::AStopExecute);
}

void TekLensaPlayer::CreateControlPanel() {
  pnlControls = new QWidget(this);
  pnlControls->setFixedHeight(24);
  QFont bold = pnlControls->font();
  bold.setBold(true);
  pnlControls->setFont(bold);
  const auto button = [this](const char* name, const char* hint, int left, int width) {
    auto* b = new QToolButton(pnlControls);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoRaise(true);
    b->setGeometry(left, 2, width, 20);
    SetButtonTransparentColor(b, Qt::white);
    return b;
  };
  btnLoadFromFile = button("btnLoadFromFile", "Открыть файл", 2, 20);
  btnPlay = button("btnPlay", "Воспроиведение", 32, 18);
  btnPause = button("btnPause", "Пауза", 52, 20);
  btnStop = button("btnStop", "Стоп", 74, 20);
  connect(btnPlay, &QToolButton::clicked, this, [this] { Guarded([this] { APlayExecute(); }); });
  connect(btnPause, &QToolButton::clicked, this, [this] { Guarded([this] { APauseExecute(); }); });
  connect(btnStop, &QToolButton::clicked, this, [this] { Guarded([this] { AStopExecute(); }); });
  pbrProgress = new QProgressBar(pnlControls);
  pbrProgress->setGeometry(184, 7, 173, 10);
  pbrProgress->setRange(0, 100);
  pbrProgress->setTextVisible(false);
  pnlPath = new QLabel(pnlControls);
  pnlPath->setGeometry(368, 3, 378, 19);
  auto* bar = new QStatusBar(this);
  bar->setSizeGripEnabled(false);
  bar->addWidget(pnlControls, 1);
  setStatusBar(bar);
}

void TekLensaPlayer::SetButtonTransparentColor(QToolButton* button, QColor colour) {
  transparentColors_[button] = colour;
  button->setIcon(GlyphIcon(GlyphOf(button->objectName()), colour));
}

QColor TekLensaPlayer::ButtonTransparentColor(const QToolButton* button) const {
  const auto found = transparentColors_.find(button);
  return found == transparentColors_.end() ? QColor() : found->second;
}

void TekLensaPlayer::UpdateButtonGlyphs() {
  for (QToolButton* button : {btnPlay, btnPause, btnStop}) SetButtonTransparentColor(button, Qt::white);
}

void TekLensaPlayer::SetPanelVisible(bool visible) { statusBar()->setVisible(visible); }

void TekLensaPlayer::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // The path field widens with the window.
  pnlPath->setFixedWidth(std::max(378, width() - 368 - 4));
}

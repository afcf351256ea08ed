// The control panel along the bottom edge: seven buttons bound to their
// handlers directly, the progress bar and the path field.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include <algorithm>
#include <functional>

#include "SeekBar.h"
#include "ekLensaPlayerImpl1.h"

namespace {

// The buttons' pictures are on white with black outlines; the button's
// transparent colour is left out of its picture, so a button marked with
// black shows differently.
QIcon GlyphIcon(const QString& file, QColor transparent) {
  QImage image = QImage(QStringLiteral(":/actions/%1.png").arg(file)).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).rgb() == transparent.rgb()) image.setPixelColor(x, y, Qt::transparent);
  return QIcon(QPixmap::fromImage(image));
}

QString GlyphFile(const QString& button) {
  static const std::pair<const char*, const char*> kGlyphs[] = {
      {"btnLoadFromFile", "open"}, {"btnPlay", "play"},      {"btnPause", "pause"},          {"btnStop", "stop"},
      {"btnSegments", "segments"}, {"SpeedButton1", "help"}, {"btnInOwnWindow", "ownwindow"}};
  for (const auto& [name, file] : kGlyphs)
    if (button == QLatin1String(name)) return QLatin1String(file);
  return {};
}

// The panel's path field is anchored to all four sides: it widens with the panel.
class TControlPanel : public QWidget {
 public:
  explicit TControlPanel(QWidget* parent) : QWidget(parent) {}
  std::function<void(int width)> Resized;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (Resized) Resized(width());
  }
};

}  // namespace

void TekLensaPlayer::CreateControlPanel() {
  auto* panel = new TControlPanel(this);
  pnlControls = panel;
  pnlControls->setFixedHeight(24);
  QFont bold = pnlControls->font();
  bold.setBold(true);
  pnlControls->setFont(bold);
  const auto button = [this](const char* name, const char* hint, int left, int width,
                             void (TekLensaPlayer::*handler)()) {
    auto* b = new QToolButton(pnlControls);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoRaise(true);
    // Clicked, never focused: Space on a button nobody sees focused would press it.
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(left, 2, width, 20);
    SetButtonTransparentColor(b, Qt::white);
    connect(b, &QToolButton::clicked, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    return b;
  };
  btnLoadFromFile = button("btnLoadFromFile", "Открыть файл", 2, 20, &TekLensaPlayer::ALoadFromFileExecute);
  btnPlay = button("btnPlay", "Воспроиведение", 32, 18, &TekLensaPlayer::APlayExecute);
  btnPause = button("btnPause", "Пауза", 52, 20, &TekLensaPlayer::APauseExecute);
  btnStop = button("btnStop", "Стоп", 74, 20, &TekLensaPlayer::AStopExecute);
  btnSegments = button("btnSegments", "Сегменты", 102, 20, &TekLensaPlayer::ASegmentsExecute);
  // It opens the help, whatever its hint says.
  SpeedButton1 = button("SpeedButton1", "О программе...", 126, 20, &TekLensaPlayer::AHelpExecute);
  btnInOwnWindow = button("btnInOwnWindow", "В отдельном окне", 152, 18, &TekLensaPlayer::ASetOwnWindowExecute);
  btnInOwnWindow->setCheckable(true);
  auto* seekBar = new TSeekBar(pnlControls);
  seekBar->OnSeek = [this](int frame) { Guarded([this, frame] { GoToFrame(frame); }); };
  pbrProgress = seekBar;
  pbrProgress->setGeometry(184, 7, 173, 10);
  pbrProgress->setRange(0, 100);
  pbrProgress->setTextVisible(false);
  pnlPath = new QLabel(pnlControls);
  pnlPath->setGeometry(368, 3, 378, 19);
  pnlPath->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // As laid out in a panel 753 pixels wide.
  panel->Resized = [this](int width) { pnlPath->resize(std::max(0, width - 368 - 7), 19); };
}

void TekLensaPlayer::SetButtonTransparentColor(QToolButton* button, QColor colour) {
  transparentColors_[button] = colour;
  button->setIcon(GlyphIcon(GlyphFile(button->objectName()), colour));
}

QColor TekLensaPlayer::ButtonTransparentColor(const QToolButton* button) const {
  const auto found = transparentColors_.find(button);
  return found == transparentColors_.end() ? QColor() : found->second;
}

void TekLensaPlayer::UpdateButtonGlyphs() {
  for (QToolButton* button : {btnPlay, btnPause, btnStop}) SetButtonTransparentColor(button, Qt::white);
}

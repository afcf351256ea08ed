#include "ekAbout.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "Jpeg.h"
#include "Shell.h"
#include "TitlePicture.h"

namespace {

QFont Font(const char* family, int pixels, bool bold = false) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QLabel* Label(QWidget* parent, const QString& text, QRect bounds, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(bounds);
  label->setFont(font);
  return label;
}

QLabel* Link(QWidget* parent, const QString& text, QRect bounds) {
  QFont font = Font("Tahoma", 13);
  font.setUnderline(true);
  QLabel* label = Label(parent, text, bounds, font);
  label->setStyleSheet(QStringLiteral("color: blue"));
  label->setCursor(Qt::PointingHandCursor);
  return label;
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent), OpenLink(platform::ShellOpenFile) {
  setWindowTitle(QStringLiteral("О программе"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(392, 233);
  setFont(Font("MS Sans Serif", 11));

  Button1 = new QPushButton(QStringLiteral("Закрыть"), this);
  Button1->setGeometry(304, 200, 81, 25);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

  auto* Panel1 = new QFrame(this);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(1);
  Panel1->setGeometry(8, 8, 164, 218);
  Image1 = new QLabel(Panel1);
  Image1->setGeometry(1, 1, 162, 216);
  const platform::RgbImage picture = platform::DecodeJpeg(kAboutPicture, kAboutPictureSize);
  Image1->setPixmap(QPixmap::fromImage(
      QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3, QImage::Format_RGB888).copy()));

  // The name with a one-pixel shadow in the highlight colour, to the right and down.
  QLabel* shadow = Label(this, QStringLiteral("ekPlayer"), QRect(233, 5, 107, 31), Font("Times New Roman", 27, true));
  shadow->setStyleSheet(QStringLiteral("color: %1").arg(palette().color(QPalette::Light).name()));
  RxLabel1 = Label(this, QStringLiteral("ekPlayer"), QRect(232, 4, 107, 31), Font("Times New Roman", 27, true));
  RxLabel1->setAttribute(Qt::WA_TranslucentBackground);
  Label1 = Label(this, QStringLiteral("© 2004–2026 ekPlayer\nКоманда ekPlayer"), QRect(184, 56, 132, 30),
                 Font("Times New Roman", 13));
  Label3 = Label(this, QStringLiteral("версия 1.4"), QRect(323, 32, 54, 13), font());
  Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblMail = Link(this, QStringLiteral("ekplayer.example.org"), QRect(184, 120, 117, 16));
  Label2 = Link(this, QStringLiteral("help@ekplayer.example.org"), QRect(184, 144, 119, 16));
  // A font that stands in for a missing one may need more room: the labels grow, the version to the left.
  for (QLabel* label : {Label3, lblMail, Label2}) {
    const int needed = label->sizeHint().width();
    if (needed <= label->width()) continue;
    const int right = label->geometry().right();
    label->setFixedWidth(needed);
    if (label == Label3) label->move(right + 1 - needed, label->y());
  }
  auto* Bevel1 = new QFrame(this);
  Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Bevel1->setGeometry(184, 192, 201, 2);
  lblMail->installEventFilter(this);
  Label2->installEventFilter(this);
}

void TfrmAbout::showEvent(QShowEvent* event) {
  // The client area is centred, not the frame: the frame is known only from
  // the second showing on, and moving by it would shift the box by its title.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect client(QPoint(), size());
    client.moveCenter(screen->geometry().center());
    setGeometry(client);
  }
  QDialog::showEvent(event);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == lblMail) lblMailClick();
    if (watched == Label2) Label2Click();
  }
  return QDialog::eventFilter(watched, event);
}

// The label's text as it stands is the target, whatever it shows.
void TfrmAbout::lblMailClick() {
  if (OpenLink) OpenLink("http://" + lblMail->text().toStdString());
}

void TfrmAbout::Label2Click() {
  if (OpenLink) OpenLink("mailto:" + Label2->text().toStdString());
}

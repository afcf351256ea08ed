// The main window's commands: the ten actions with their pictures, the main
// menu and the popup menu that carry them, and the handlers of the window's own.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "HelpBinding.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"

namespace {

// The image list by index; 5 and 7 belong to no action.
QIcon ImageListIcon(int index) {
  static const char* const kFiles[] = {"play", "pause", "stop", "segments", "help", nullptr, "open", nullptr, "exit"};
  const char* file = index >= 0 && index < 9 ? kFiles[index] : nullptr;
  return file ? QIcon(QStringLiteral(":/actions/%1.png").arg(QLatin1String(file))) : QIcon();
}

}  // namespace

void TekLensaPlayer::CreateActions() {
  struct Spec {
    QAction** action;
    const char* caption;
    const char* hint;
    QKeySequence shortcut;
    int image;
    void (TekLensaPlayer::*handler)();
  };
  const Spec specs[] = {
      {&ALoadFromFile, "Загрузить", "Открыть файл", QKeySequence(Qt::CTRL | Qt::Key_O), 6,
       &TekLensaPlayer::ALoadFromFileExecute},
      {&APlay, "Воспроизведение", "Воспроизведение", QKeySequence(Qt::Key_F9), 0, &TekLensaPlayer::APlayExecute},
      {&APause, "Пауза", "Пауза", QKeySequence(Qt::Key_F10), 1, &TekLensaPlayer::APauseExecute},
      {&AStop, "Стоп", "Стоп", QKeySequence(Qt::Key_F11), 2, &TekLensaPlayer::AStopExecute},
      {&ASegments, "Сегменты", nullptr, QKeySequence(Qt::Key_F6), 3, &TekLensaPlayer::ASegmentsExecute},
      {&AShowPanel, "Отображать панель", nullptr, QKeySequence(Qt::Key_F7), -1, &TekLensaPlayer::AShowPanelExecute},
      {&ASetOwnWindow, "В отдельном окне", "В отдельном окне", QKeySequence(Qt::Key_F8), -1,
       &TekLensaPlayer::ASetOwnWindowExecute},
      {&AHelp, "Справка", nullptr, QKeySequence(Qt::Key_F1), 4, &TekLensaPlayer::AHelpExecute},
      {&AAbout, "О программе ...", nullptr, QKeySequence(), -1, &TekLensaPlayer::AAboutExecute},
      {&AExit, "Выход", nullptr, QKeySequence(Qt::ALT | Qt::Key_F4), 8, &TekLensaPlayer::AExitExecute},
  };
  for (const Spec& spec : specs) {
    auto* action = new QAction(ImageListIcon(spec.image), QString::fromUtf8(spec.caption), this);
    if (spec.hint) action->setToolTip(QString::fromUtf8(spec.hint));
    action->setShortcut(spec.shortcut);
    action->setIconVisibleInMenu(true);
    const auto handler = spec.handler;
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    addAction(action);
    ActionList.push_back(action);
    *spec.action = action;
  }
  AShowPanel->setCheckable(true);
  ASetOwnWindow->setCheckable(true);
}

void TekLensaPlayer::CreateMenus() {
  MainMenu1 = menuBar();
  QMenu* file = MainMenu1->addMenu(QStringLiteral("&Файл"));
  file->addAction(ALoadFromFile);
  file->addSeparator();
  file->addAction(AExit);
  QMenu* actions = MainMenu1->addMenu(QStringLiteral("&Действия"));
  actions->addActions({APlay, APause, AStop});
  actions->addSeparator();
  actions->addAction(ASegments);
  QMenu* view = MainMenu1->addMenu(QStringLiteral("&Вид"));
  view->addActions({AShowPanel, ASetOwnWindow});
  QMenu* help = MainMenu1->addMenu(QStringLiteral("&Справка"));
  help->addAction(AHelp);
  help->addSeparator();
  help->addAction(AAbout);

  pupMain = new QMenu(this);
  pupMain->addAction(ALoadFromFile);
  pupMain->addSeparator();
  pupMain->addActions({APlay, APause, AStop});
  pupMain->addSeparator();
  pupMain->addActions({ASegments, AShowPanel, ASetOwnWindow});
  pupMain->addSeparator();
  pupMain->addAction(AAbout);
  pupMain->addSeparator();
  pupMain->addAction(AExit);
}

void TekLensaPlayer::AShowPanelExecute() {
  SetPanelVisible(pnlControls->isHidden());
  LayoutPicture();
}

void TekLensaPlayer::SetPanelVisible(bool visible) {
  pnlControls->setVisible(visible);
  AShowPanel->setChecked(!pnlControls->isHidden());
}

void TekLensaPlayer::spDisplayMouseDown(Qt::MouseButton button) {
  // The right button only opens the popup menu.
  if (button == Qt::LeftButton) APlay->trigger();
}

void TekLensaPlayer::AHelpExecute() {
  // Asked for in the display window, which stays on top, help belongs to it
  // and so stays above it instead of opening beneath.
  QWidget* owner = frmDisplay && frmDisplay->isActiveWindow() ? static_cast<QWidget*>(frmDisplay) : this;
  ShowHelp(owner, HelpFilePath);
}

void TekLensaPlayer::AAboutExecute() {
  if (frmAbout) frmAbout->exec();
}

void TekLensaPlayer::AExitExecute() { close(); }

void TekLensaPlayer::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  // Closing the main window ends the program, whatever other window is up.
  QCoreApplication::exit(0);
}

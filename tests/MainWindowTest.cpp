// The main window and the display window as a user reaches them: menus,
// shortcuts in every window, enable rules, mouse buttons, the error box,
// the end of the program, and the layout in both modes. Offscreen.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "MessageBoxRecorder.h"
#include "PictureView.h"
#include "PlaybackFixtures.h"
#include "PlayerFixtures.h"
#include "Screen.h"
#include "StartUp.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

namespace mw = moviewriter;

namespace {

mw::Segment Plain(int frames, int width = 6, int height = 4, uint8_t depth = 32) {
  mw::Segment s;
  s.name = "Часть";
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  s.frameRate = 5;
  for (int f = 0; f < frames; ++f) s.frames.push_back({fixtures::Pattern(width, height, depth, f), {}, {}});
  return s;
}

// A menu as "caption<TAB>shortcut" lines, "-" for a separator.
std::vector<std::string> Items(const QMenu* menu) {
  std::vector<std::string> items;
  for (const QAction* a : menu->actions())
    items.push_back(a->isSeparator() ? "-" : (a->text() + "\t" + a->shortcut().toString()).toStdString());
  return items;
}

class MainWindow : public testing::Test {
 protected:
  void SetUp() override {
    MessageBoxRecorder::boxes.clear();
    saved_ = platform::Screen();
    player.AttachWindows(&segments, &about, &display);
    player.SplashMilliseconds = 0;
  }
  void TearDown() override {
    player.AStopExecute();
    platform::SetScreen(saved_);
  }

  void Load(const std::vector<mw::Segment>& movie) {
    player.SetFileName("/movies/film.ekcab");
    fixtures::LoadIntoPlayer(player, movie);
    player.ReadSegmentTable(nullptr);
    segments.SetCell(0, 1, QStringLiteral("1"));
  }

  void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  platform::ScreenMetrics saved_;
  TfrmSegments segments;
  TfrmAbout about;
  TfrmDisplay display;
  TekLensaPlayer player;
};

TEST_F(MainWindow, MenusAndPopupCarryTheActionsInOrder) {
  const QList<QAction*> menus = player.MainMenu1->actions();
  ASSERT_EQ(menus.size(), 4);
  const char* titles[] = {"&Файл", "&Действия", "&Вид", "&Справка"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(menus[i]->text().toStdString(), titles[i]);
  using Lines = std::vector<std::string>;
  EXPECT_EQ(Items(menus[0]->menu()), (Lines{"Загрузить\tCtrl+O", "-", "Выход\tAlt+F4"}));
  EXPECT_EQ(Items(menus[1]->menu()), (Lines{"Воспроизведение\tF9", "Пауза\tF10", "Стоп\tF11", "-", "Сегменты\tF6"}));
  EXPECT_EQ(Items(menus[2]->menu()), (Lines{"Отображать панель\tF7", "В отдельном окне\tF8"}));
  EXPECT_EQ(Items(menus[3]->menu()), (Lines{"Справка\tF1", "-", "О программе ...\t"}));
  EXPECT_EQ(Items(player.pupMain),
            (Lines{"Загрузить\tCtrl+O", "-", "Воспроизведение\tF9", "Пауза\tF10", "Стоп\tF11", "-", "Сегменты\tF6",
                   "Отображать панель\tF7", "В отдельном окне\tF8", "-", "О программе ...\t", "-", "Выход\tAlt+F4"}));
  // Pictures where the image list has one; hints as the actions have them.
  for (QAction* a : {player.ALoadFromFile, player.APlay, player.APause, player.AStop, player.ASegments, player.AHelp,
                     player.AExit}) {
    EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
    EXPECT_EQ(a->icon().pixmap(16, 16).size(), QSize(16, 16));
  }
  for (QAction* a : {player.AShowPanel, player.ASetOwnWindow, player.AAbout})
    EXPECT_TRUE(a->icon().isNull()) << a->text().toStdString();
  EXPECT_EQ(player.ALoadFromFile->toolTip(), QStringLiteral("Открыть файл"));
  EXPECT_EQ(player.btnPlay->toolTip(), QStringLiteral("Воспроиведение"));
  EXPECT_EQ(player.SpeedButton1->toolTip(), QStringLiteral("О программе..."));
  EXPECT_EQ(player.ActionList.size(), 10u);
}

TEST_F(MainWindow, ControlPanelAsLaidOut) {
  const std::pair<QToolButton*, QRect> buttons[] = {
      {player.btnLoadFromFile, {2, 2, 20, 20}}, {player.btnPlay, {32, 2, 18, 20}},
      {player.btnPause, {52, 2, 20, 20}},       {player.btnStop, {74, 2, 20, 20}},
      {player.btnSegments, {102, 2, 20, 20}},   {player.SpeedButton1, {126, 2, 20, 20}},
      {player.btnInOwnWindow, {152, 2, 18, 20}}};
  for (const auto& [button, bounds] : buttons)
    EXPECT_EQ(button->geometry(), bounds) << button->objectName().toStdString();
  EXPECT_EQ(player.pbrProgress->geometry(), QRect(184, 7, 173, 10));
  EXPECT_EQ(player.pnlControls->height(), 24);
  player.resize(1200, 700);
  player.show();
  QApplication::processEvents();
  EXPECT_EQ(player.pnlPath->x(), 368);
  EXPECT_EQ(player.pnlPath->width(), player.pnlControls->width() - 375);
  EXPECT_EQ(player.windowTitle(), QStringLiteral("ekPlayer v1.4"));
  EXPECT_EQ(player.minimumSize(), QSize(500, 300));
}

TEST_F(MainWindow, EveryShortcutReachesItsActionInTheMainAndTheDisplayWindow) {
  player.OpenDialog = [](const std::string&) { return std::nullopt; };
  const std::pair<QAction*, QKeySequence> keys[] = {{player.ALoadFromFile, QKeySequence(Qt::CTRL | Qt::Key_O)},
                                                    {player.APlay, QKeySequence(Qt::Key_F9)},
                                                    {player.APause, QKeySequence(Qt::Key_F10)},
                                                    {player.AStop, QKeySequence(Qt::Key_F11)},
                                                    {player.ASegments, QKeySequence(Qt::Key_F6)},
                                                    {player.AShowPanel, QKeySequence(Qt::Key_F7)},
                                                    {player.ASetOwnWindow, QKeySequence(Qt::Key_F8)},
                                                    {player.AHelp, QKeySequence(Qt::Key_F1)},
                                                    {player.AExit, QKeySequence(Qt::ALT | Qt::Key_F4)}};
  for (QWidget* window : {static_cast<QWidget*>(&player), static_cast<QWidget*>(&display)}) {
    for (const auto& [action, key] : keys) {
      ShowActive(*window);
      QSignalSpy triggered(action, &QAction::triggered);
      QTest::keySequence(window, key);
      EXPECT_EQ(triggered.count(), 1) << window->metaObject()->className() << " " << key.toString().toStdString();
      // Back to where the next key starts from.
      if (action == player.AShowPanel) player.SetPanelVisible(true);
      if (action == player.ASetOwnWindow) player.SetOwnWindowMode(false);
      if (action == player.AExit) player.show();
    }
  }
}

TEST_F(MainWindow, TheSegmentsDialogLeavesF6AndAltF4ToTheMainWindowButNotF1) {
  Load({Plain(3)});
  ShowActive(player);
  player.ASegments->trigger();
  ASSERT_TRUE(segments.isVisible());
  ShowActive(segments);
  QSignalSpy help(player.AHelp, &QAction::triggered);
  QTest::keyClick(&segments, Qt::Key_F1);
  EXPECT_EQ(help.count(), 0);
  QSignalSpy exit(player.AExit, &QAction::triggered);
  QTest::keyClick(&segments, Qt::Key_F4, Qt::AltModifier);
  EXPECT_EQ(exit.count(), 1);
  EXPECT_FALSE(player.isVisible());  // the main window closed, which ends the program
  player.show();
  ShowActive(segments);
  QTest::keyClick(&segments, Qt::Key_F6);
  EXPECT_FALSE(segments.isVisible());
}

TEST_F(MainWindow, EnableRulesInTheThreeStates) {
  Load({Plain(5)});
  const auto expect = [&](bool loadEnabled, const char* state) {
    EXPECT_EQ(player.ALoadFromFile->isEnabled(), loadEnabled) << state;
    EXPECT_EQ(player.btnLoadFromFile->isEnabled(), loadEnabled) << state;
    for (QAction* a : {player.APlay, player.APause, player.AStop, player.ASegments, player.AShowPanel,
                       player.ASetOwnWindow, player.AHelp, player.AAbout, player.AExit})
      EXPECT_TRUE(a->isEnabled()) << state << " " << a->text().toStdString();
    for (QToolButton* b : {player.btnPlay, player.btnPause, player.btnStop, player.btnSegments, player.SpeedButton1,
                           player.btnInOwnWindow})
      EXPECT_TRUE(b->isEnabled()) << state << " " << b->objectName().toStdString();
  };
  expect(true, "stopped");
  player.APlay->trigger();
  expect(false, "playing");
  player.APause->trigger();
  expect(false, "paused");
  player.AStop->trigger();
  expect(true, "stopped again");
}

TEST_F(MainWindow, F7TwiceHidesAndShowsThePanelAndRecentresThePicture) {
  Load({Plain(2, 100, 60)});
  player.resize(800, 600);
  ShowActive(player);
  player.APlay->trigger();
  const int top = player.PictureTop;
  QTest::keyClick(&player, Qt::Key_F7);
  QApplication::processEvents();
  EXPECT_FALSE(player.pnlControls->isVisible());
  EXPECT_FALSE(player.AShowPanel->isChecked());
  EXPECT_EQ(player.PictureTop, top + 12);  // 24 more pixels of height, centred
  QTest::keyClick(&player, Qt::Key_F7);
  QApplication::processEvents();
  EXPECT_TRUE(player.pnlControls->isVisible());
  EXPECT_TRUE(player.AShowPanel->isChecked());
  EXPECT_EQ(player.PictureTop, top);
}

TEST_F(MainWindow, LeftClickPlaysAndResumesRightClickOnlyOpensThePopup) {
  Load({Plain(50)});
  player.resize(400, 300);
  ShowActive(player);
  QTest::mouseClick(player.spDisplay, Qt::RightButton);
  QTest::mousePress(player.spDisplay, Qt::RightButton);
  QApplication::processEvents();
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(10, 10), player.spDisplay->mapToGlobal(QPoint(10, 10)));
  QApplication::sendEvent(player.spDisplay, &menu);
  EXPECT_TRUE(player.pupMain->isVisible());
  player.pupMain->hide();
  EXPECT_EQ(player.PlayState, playstate::Stopped);

  QTest::mouseClick(player.spDisplay, Qt::LeftButton);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  player.TimerTimer();
  const int32_t frame = player.FrameIndex;
  QTest::mouseClick(player.spDisplay, Qt::LeftButton);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_EQ(player.FrameIndex, frame);  // not restarted
  player.APause->trigger();
  QTest::mouseClick(player.spDisplay, Qt::LeftButton);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_TRUE(player.Timer.isActive());
}

TEST_F(MainWindow, ErrorInATickGivesOneErrorBoxAndLeavesThePlayerStopped) {
  Load({Plain(50)});
  player.APlay->trigger();
  player.Timer.setInterval(1);
  player.CursorStream = nullptr;  // the next frame step throws
  QTest::qWait(100);
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::boxes[0].caption, "Error");
  EXPECT_EQ(MessageBoxRecorder::boxes[0].text, "CursorStream is nil");
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_FALSE(player.Timer.isActive());
  EXPECT_EQ(player.pbrProgress->value(), 0);
}

TEST_F(MainWindow, SpeedButtonWithTheAboutHintOpensHelpNotTheAboutBox) {
  QSignalSpy aboutShown(&about, &QDialog::finished);
  player.SpeedButton1->click();
  QApplication::processEvents();
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(aboutShown.count(), 0);
}

TEST_F(MainWindow, SeparateWindowModeFollowsTheCheckMarkTheButtonAndTheCloseButton) {
  Load({Plain(20, 64, 48)});
  player.ASetOwnWindow->trigger();
  EXPECT_TRUE(player.IsOwnWindowMode());
  EXPECT_TRUE(player.ASetOwnWindow->isChecked());
  EXPECT_TRUE(player.btnInOwnWindow->isChecked());
  EXPECT_FALSE(display.isVisible());  // stopped: shown by the next play
  player.APlay->trigger();
  EXPECT_TRUE(display.isVisible());
  player.APause->trigger();
  display.hide();
  player.APlay->trigger();  // resumes, and shows the window the frames go into
  EXPECT_TRUE(display.isVisible());
  display.close();
  EXPECT_FALSE(player.IsOwnWindowMode());
  EXPECT_FALSE(player.ASetOwnWindow->isChecked());
  EXPECT_FALSE(player.btnInOwnWindow->isChecked());
  player.btnInOwnWindow->click();
  EXPECT_TRUE(player.IsOwnWindowMode());
  EXPECT_TRUE(player.btnInOwnWindow->isChecked());
  player.AStop->trigger();
  EXPECT_FALSE(display.isVisible());
}

TEST_F(MainWindow, MovieEndedInTheDisplayWindowReturnsToTheMainWindow) {
  Load({Plain(2, 64, 48)});
  player.SetOwnWindowMode(true);
  player.APlay->trigger();
  for (int i = 0; i < 4 && player.PlayState == playstate::Playing; ++i) player.TimerTimer();
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_FALSE(player.IsOwnWindowMode());
  EXPECT_FALSE(display.isVisible());
  EXPECT_FALSE(player.ASetOwnWindow->isChecked());
}

TEST_F(MainWindow, ExitAndAltF4EndTheProgram) {
  for (int way = 0; way < 2; ++way) {
    QTimer::singleShot(0, [way] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* main = qobject_cast<TekLensaPlayer*>(widget);
        if (!main || !main->isVisible()) continue;
        if (way == 0) {
          main->AExit->trigger();
        } else {
          QApplication::setActiveWindow(main);
          QTest::keyClick(main, Qt::Key_F4, Qt::AltModifier);
        }
      }
    });
    // A second that would stop the loop if the command did not.
    QTimer guard;
    guard.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
      timedOut = true;
      QApplication::exit(9);
    });
    guard.start(5000);
    EXPECT_EQ(RunPlayer(*qApp, {}), 0) << way;
    EXPECT_FALSE(timedOut) << way;
  }
}

// The layout table: the main window's picture area, and the display window on a screen.
struct LayoutCase {
  const char* name;
  int width, height;          // the movie
  int areaWidth, areaHeight;  // the main window's picture area, or the screen in the separate mode
  bool separate;
  bool stretch;
  int scaledWidth, scaledHeight;
  QRect displayClient;  // separate mode: where the display window's client area ends up
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class Layout : public MainWindow, public testing::WithParamInterface<LayoutCase> {};

TEST_P(Layout, PlacesThePicture) {
  const LayoutCase& c = GetParam();
  Load({Plain(2, c.width, c.height)});
  if (c.separate) {
    platform::SetScreen({c.areaWidth, c.areaHeight, 32, 32, 32});
    display.PlaceClient(QRect(900, 700, 300, 200));  // a previous place, partly off a small screen
    player.SetOwnWindowMode(true);
  } else {
    player.spDisplay->resize(c.areaWidth, c.areaHeight);
  }
  player.APlayExecute();
  player.LayoutPicture();
  EXPECT_EQ(player.StretchPicture, c.stretch);
  if (c.stretch) {
    EXPECT_EQ(player.ScaledWidth, c.scaledWidth);
    EXPECT_EQ(player.ScaledHeight, c.scaledHeight);
  }
  if (c.separate) {
    EXPECT_EQ(player.PictureLeft, 0);
    EXPECT_EQ(player.PictureTop, 0);
    // The window's frame, where the platform has one, is part of what is kept inside the screen.
    const QRect frame = display.frameGeometry(), client = display.geometry();
    const int right = frame.right() - client.right(), bottom = frame.bottom() - client.bottom();
    QRect expected = c.displayClient;
    if (display.HasDialogBorder() && expected.right() + right >= c.areaWidth)
      expected.moveRight(c.areaWidth - 1 - right);
    if (display.HasDialogBorder() && expected.bottom() + bottom >= c.areaHeight)
      expected.moveBottom(c.areaHeight - 1 - bottom);
    EXPECT_EQ(client, expected);
    EXPECT_EQ(display.HasDialogBorder(), !c.stretch && c.displayClient.size() != QSize(c.areaWidth, c.areaHeight));
  } else {
    const int w = c.stretch ? c.scaledWidth : c.width, h = c.stretch ? c.scaledHeight : c.height;
    EXPECT_EQ(player.PictureLeft, (c.areaWidth - w) / 2);
    EXPECT_EQ(player.PictureTop, (c.areaHeight - h) / 2);
    // The far band takes the odd pixel.
    EXPECT_EQ(c.areaWidth - player.PictureLeft - w, player.PictureLeft + (c.areaWidth - w) % 2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Layout,
    testing::Values(LayoutCase{"odd_free_width", 500, 100, 1001, 300, false, false, 0, 0, {}},
                    LayoutCase{"shrunk_window", 500, 100, 250, 300, false, true, 250, 50, {}},
                    LayoutCase{"panel_hidden_height", 100, 300, 400, 324, false, false, 0, 0, {}},
                    LayoutCase{"larger_than_screen", 1600, 1200, 1024, 768, true, true, 1024, 768, {0, 0, 1024, 768}},
                    LayoutCase{"exact_screen", 1024, 768, 1024, 768, true, false, 0, 0, {0, 0, 1024, 768}},
                    LayoutCase{"one_dimension_larger", 1400, 600, 1280, 800, true, true, 1280, 549, {0, 0, 1280, 800}},
                    // Centred on its previous centre (1050, 800), then pushed back inside the screen.
                    LayoutCase{"smaller_pushed_inside", 640, 480, 1280, 1024, true, false, 0, 0, {640, 544, 640, 480}}),
    [](const testing::TestParamInfo<LayoutCase>& layout) { return std::string(layout.param.name); });

}  // namespace

// The segments dialog, help and the About box as a user reaches them, offscreen.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

#include <chm_lib.h>

#include <filesystem>

#include "CabIntf.h"
#include "CabinetFixtures.h"
#include "HelpBinding.h"
#include "MessageBoxRecorder.h"
#include "PlaybackFixtures.h"
#include "PlayerFixtures.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

namespace fs = std::filesystem;
namespace mw = moviewriter;

namespace {

mw::Segment Segment(const char* name, int frames, uint8_t rate) {
  mw::Segment s;
  s.name = name;
  s.width = 8;
  s.height = 6;
  s.frameRate = rate;
  for (int f = 0; f < frames; ++f) s.frames.push_back({fixtures::Pattern(8, 6, 32, f), {}, {}});
  return s;
}

class Dialogs : public testing::Test {
 protected:
  void SetUp() override {
    MessageBoxRecorder::boxes.clear();
    cabintf::SetLibraryFolders({fixtures::BuildFolder() + "player/"});
    player.AttachWindows(&segments, &about, &display);
    player.SplashMilliseconds = 0;
  }
  void TearDown() override { player.AStopExecute(); }

  void Load(const std::vector<mw::Segment>& movie) {
    fixtures::LoadIntoPlayer(player, movie);
  }

  // Chooses a row of the open dialog the way `how` says.
  void Choose(int row, const std::string& how) {
    segments.sgdSegments->setCurrentCell(row, 0);
    if (how == "button") {
      segments.btnClose->click();
    } else if (how == "enter") {
      segments.show();
      QApplication::setActiveWindow(&segments);
      ASSERT_TRUE(QTest::qWaitForWindowActive(&segments));
      QTest::keyClick(segments.sgdSegments, Qt::Key_Return);
    } else {
      const QRect cell = segments.sgdSegments->visualItemRect(segments.sgdSegments->item(row, 1));
      // A double click follows the press of its first click on the same row.
      QTest::mousePress(segments.sgdSegments->viewport(), Qt::LeftButton, {}, cell.center());
      QTest::mouseRelease(segments.sgdSegments->viewport(), Qt::LeftButton, {}, cell.center());
      QTest::mouseDClick(segments.sgdSegments->viewport(), Qt::LeftButton, {}, cell.center());
    }
  }

  TfrmSegments segments;
  TfrmAbout about;
  TfrmDisplay display;
  TekLensaPlayer player;
};

TEST_F(Dialogs, F6ShowsNothingWithoutAMovieAndTogglesAndRefillsWithOne) {
  player.ASegments->trigger();
  EXPECT_FALSE(segments.isVisible());
  Load({Segment("Вступление", 10, 10), Segment("Без частоты", 5, 0), Segment("Долгий", 5, 5)});
  player.SegmentList[2]->FrameCount = 24 * 3600 * 5 + 5;
  player.ASegments->trigger();
  ASSERT_TRUE(segments.isVisible());
  EXPECT_EQ(segments.RowCount(), 4);
  EXPECT_EQ(segments.Cell(0, 0), QStringLiteral("№"));
  EXPECT_EQ(segments.Cell(1, 1), QStringLiteral("Вступление"));
  EXPECT_EQ(segments.Cell(2, 1), QStringLiteral("00:00:01.000"));
  EXPECT_EQ(segments.Cell(2, 2), QString());                       // frame rate 0
  EXPECT_EQ(segments.Cell(2, 3), QStringLiteral("00:00:01.000"));  // a day and a second: the day is not shown
  EXPECT_EQ(segments.pos(), QPoint(301, 127));
  EXPECT_EQ(segments.size(), QSize(569, 424));
  player.ASegments->trigger();
  EXPECT_FALSE(segments.isVisible());
  segments.SetCell(1, 1, QStringLiteral("stale"));
  player.ASegments->trigger();
  EXPECT_EQ(segments.Cell(1, 1), QStringLiteral("Вступление"));
}

// A minimised window once came back minimised, and the picture played into
// a window nobody could see.
TEST_F(Dialogs, MinimisedWindowsComeBackRestoredWhenShown) {
  Load({Segment("Один", 10, 10)});
  player.ASegments->trigger();
  segments.showMinimized();
  player.ASegments->trigger();
  player.ASegments->trigger();
  EXPECT_TRUE(segments.isVisible());
  EXPECT_FALSE(segments.isMinimized());
  player.ASetOwnWindow->trigger();
  display.showMinimized();
  player.APlay->trigger();
  EXPECT_TRUE(display.isVisible());
  EXPECT_FALSE(display.isMinimized());
}

TEST(DisplayWindow, CannotBeResizedEvenBeforeItsFirstLayout) {
  const TfrmDisplay fresh;
  EXPECT_EQ(fresh.size(), QSize(862, 613));
  EXPECT_EQ(fresh.minimumSize(), fresh.maximumSize());
}

// Window managers take Alt+F4 themselves and close the window: closing must
// do what F8 and Escape do.
TEST_F(Dialogs, ClosingTheDisplayWindowIsF8AndClosingTheDialogIsEscape) {
  Load({Segment("Один", 10, 10)});
  player.ASetOwnWindow->trigger();
  player.APlay->trigger();
  ASSERT_TRUE(display.isVisible());
  display.close();
  EXPECT_FALSE(display.isVisible());
  EXPECT_FALSE(player.IsOwnWindowMode());
  EXPECT_FALSE(player.ASetOwnWindow->isChecked());
  player.ASetOwnWindow->trigger();
  EXPECT_TRUE(display.isVisible());
  player.ASetOwnWindow->trigger();

  player.ASegments->trigger();
  ASSERT_TRUE(segments.isVisible());
  const int chosenBefore = player.CurSegment;
  segments.close();
  EXPECT_FALSE(segments.isVisible());
  EXPECT_EQ(player.CurSegment, chosenBefore);
  player.ASegments->trigger();
  EXPECT_TRUE(segments.isVisible());
}

// The title row scrolled away with the wheel or Ctrl+End, Ctrl+Home put the
// current cell on it, and End scrolled the grid sideways for good.
TEST_F(Dialogs, TheTitleRowStaysAndHomeAndEndGoToTheFirstAndLastSegment) {
  std::vector<mw::Segment> many;
  for (int i = 0; i < 41; ++i) many.push_back(Segment("Сегмент", 10, 10));
  Load(many);
  player.ASegments->trigger();
  ASSERT_TRUE(segments.isVisible());
  TSegmentsGrid& grid = *segments.sgdSegments;
  EXPECT_EQ(segments.Cell(1, 0), QStringLiteral("Название"));
  EXPECT_TRUE(grid.isRowHidden(0));
  EXPECT_EQ(grid.horizontalHeaderItem(1)->text(), QStringLiteral("Название"));
  // Rows of the text's height: far more than ten of the 41 segments are seen.
  EXPECT_GT(grid.viewport()->height() / grid.rowHeight(1), 15);
  for (const auto& [key, modifiers, row] :
       {std::tuple{Qt::Key_End, Qt::ControlModifier, 41}, std::tuple{Qt::Key_Home, Qt::ControlModifier, 1},
        std::tuple{Qt::Key_End, Qt::NoModifier, 41}, std::tuple{Qt::Key_Home, Qt::NoModifier, 1}}) {
    QTest::keyClick(&grid, key, modifiers);
    EXPECT_EQ(grid.currentRow(), row) << key;
    EXPECT_EQ(grid.horizontalScrollBar()->value(), 0) << key;
  }
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(grid.currentRow(), 1);
  grid.setCurrentCell(20, 2);
  EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);
}

TEST_F(Dialogs, DoubleClickEnterAndTheButtonChooseOnceAndAlike) {
  for (const char* how : {"button", "enter", "double click"}) {
    Load({Segment("a", 4, 5), Segment("b", 4, 5), Segment("c", 4, 5)});
    player.ASegments->trigger();
    int chosen = 0;
    const auto counting = segments.OnSelect;
    segments.OnSelect = [&](int row) {
      ++chosen;
      counting(row);
    };
    Choose(3, how);
    EXPECT_EQ(chosen, 1) << how;
    EXPECT_EQ(player.CurSegment, 2) << how;
    EXPECT_FALSE(segments.isVisible()) << how;
    segments.OnSelect = counting;
    player.FreeSegments();
  }
}

TEST_F(Dialogs, EscapeClosesWithoutChoosing) {
  Load({Segment("a", 4, 5), Segment("b", 4, 5)});
  player.ASegments->trigger();
  segments.sgdSegments->setCurrentCell(2, 0);
  QTest::keyClick(&segments, Qt::Key_Escape);
  EXPECT_FALSE(segments.isVisible());
  EXPECT_EQ(player.CurSegment, 0);
}

TEST_F(Dialogs, ChoosingByTransportState) {
  Load({Segment("a", 6, 5), Segment("b", 6, 5), Segment("c", 6, 5)});
  // Playing: restarts at the first frame of the chosen segment.
  player.APlay->trigger();
  player.TimerTimer();
  player.TimerTimer();
  player.SegmentChosen(3);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_EQ(player.CurSegment, 2);
  EXPECT_EQ(player.FrameIndex, 0);
  // Paused on the same segment: nothing changes.
  player.TimerTimer();
  player.APause->trigger();
  const int32_t frame = player.FrameIndex;
  player.SegmentChosen(3);
  EXPECT_EQ(player.PlayState, playstate::Paused);
  EXPECT_EQ(player.FrameIndex, frame);
  // Paused, another segment: stopped, ready to play it.
  player.SegmentChosen(2);
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_EQ(player.CurSegment, 1);
  EXPECT_EQ(player.pbrProgress->value(), 0);
  player.APlay->trigger();
  EXPECT_EQ(player.CurSegment, 1);
  player.AStop->trigger();
  // Stopped: only the current segment changes.
  player.SegmentChosen(3);
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_EQ(player.CurSegment, 2);
}

TEST_F(Dialogs, AMovieNamedButNotLoadedIsListedFromItsFile) {
  const std::string folder = fixtures::FreshFolder("dialog-listing");
  const auto bytes = mw::WriteMovie({Segment("Первый", 10, 5), Segment("Второй", 20, 5)}).bytes;
  fixtures::WriteFile(folder + "MyFilm.~ekflm", std::string(bytes.begin(), bytes.end()));
  fixtures::MakeCabinet(folder, folder + "listed.ekcab", {"MyFilm.~ekflm"}, true);
  player.SetFileName(folder + "listed.ekcab");
  player.ASegments->trigger();
  ASSERT_TRUE(segments.isVisible());
  EXPECT_EQ(segments.RowCount(), 3);
  EXPECT_EQ(segments.Cell(1, 2), QStringLiteral("Второй"));
  EXPECT_EQ(segments.Cell(2, 2), QStringLiteral("00:00:04.000"));
  EXPECT_TRUE(player.SegmentList.empty());
  player.SegmentChosen(2);  // nothing loaded: nothing happens
  EXPECT_EQ(player.PlayState, playstate::Stopped);
}

TEST_F(Dialogs, HeaderGridAndButtonsAsLaidOut) {
  EXPECT_EQ(segments.windowTitle(), QStringLiteral("Управление Сегментами"));
  EXPECT_EQ(segments.sgdSegments->geometry(), QRect(0, 65, 569, 319));
  EXPECT_EQ(segments.sgdSegments->columnWidth(0), 43);
  EXPECT_EQ(segments.sgdSegments->columnWidth(1), 430);
  EXPECT_EQ(segments.sgdSegments->columnWidth(2), 89);
  EXPECT_EQ(segments.RowCount(), 2);
  EXPECT_EQ(segments.btnClose->text(), QStringLiteral("Выбрать"));
  EXPECT_EQ(segments.btnClose->toolTip(), QStringLiteral("Выбрать и закрыть"));
  EXPECT_EQ(segments.btnHelp->text(), QStringLiteral("Справка..."));
  EXPECT_EQ(segments.btnClose->geometry(), QRect(487, 8, 75, 24));
  bool explained = false;
  for (const QLabel* label : segments.findChildren<QLabel*>())
    explained |= label->text().startsWith(QStringLiteral("Служат для разбиение фильма"));
  EXPECT_TRUE(explained);
}

// Help through the library the player binds at start.
class Help : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    SetHelpLibraryFolders({fixtures::BuildFolder() + "player/"});
    LoadHelpLibrary();
    player.HelpFilePath = fixtures::BuildFolder() + "player/ekPlayer.chm";
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (QByteArray(w->metaObject()->className()) == "THelpWindow") w->close();
    Dialogs::TearDown();
  }
  // The library's help window, known to the player only as a window with a browser in it.
  static QTextBrowser* HelpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && QByteArray(w->metaObject()->className()) == "THelpWindow")
        return w->findChild<QTextBrowser*>();
    return nullptr;
  }
  static QString Topic(const QTextBrowser* browser) {
    const QUrl source = browser->source();
    return source.path() + (source.hasFragment() ? QLatin1Char('#') + source.fragment() : QString());
  }
};

TEST_F(Help, F1InTheMainWindowAndInTheDialogOpenTheirTopics) {
  ASSERT_TRUE(HtmlHelpProc());
  player.show();
  QApplication::setActiveWindow(&player);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&player));
  QTest::keyClick(&player, Qt::Key_F1);
  QTextBrowser* browser = HelpWindow();
  ASSERT_TRUE(browser);
  EXPECT_EQ(Topic(browser), QStringLiteral("/ekPlayer_v1_2.htm"));
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Открыть фильм")));

  Load({Segment("a", 4, 5)});
  player.ASegments->trigger();
  QApplication::setActiveWindow(&segments);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&segments));
  QTest::keyClick(&segments, Qt::Key_F1);
  QTextBrowser* again = HelpWindow();
  ASSERT_TRUE(again);
  EXPECT_EQ(Topic(again), QStringLiteral("/ekPlayer_v1_2.htm#Segments"));
  segments.btnHelp->click();
  EXPECT_EQ(Topic(HelpWindow()), QStringLiteral("/ekPlayer_v1_2.htm#Segments"));

  // Links within the file and their pictures resolve; back returns.
  again->setSource(QUrl(QStringLiteral("converter.htm")));
  EXPECT_TRUE(again->toPlainText().contains(QStringLiteral("ekconvert")));
  EXPECT_FALSE(again->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("ekhelp:/images/play.png")))
                   .toByteArray()
                   .isEmpty());
  again->backward();
  EXPECT_EQ(Topic(again), QStringLiteral("/ekPlayer_v1_2.htm#Segments"));
}

// F1 in the full-screen display window opened help beneath it, unseen.
TEST_F(Help, F1InTheDisplayWindowOpensHelpAboveIt) {
  ASSERT_TRUE(HtmlHelpProc());
  Load({Segment("a", 4, 5)});
  player.ASetOwnWindow->trigger();
  player.APlay->trigger();
  ASSERT_TRUE(display.isVisible());
  QApplication::setActiveWindow(&display);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&display));
  QTest::keyClick(&display, Qt::Key_F1);
  QTextBrowser* browser = HelpWindow();
  ASSERT_TRUE(browser);
  EXPECT_TRUE(browser->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(browser->window()->parentWidget(), &display);
}

TEST_F(Help, TheLibraryCalledDirectlyReusesItsWindow) {
  THtmlHelpProc proc = HtmlHelpProc();
  ASSERT_TRUE(proc);
  const std::string file = player.HelpFilePath;
  void* first = proc(&player, file.c_str(), HH_DISPLAY_TOPIC, 0);
  void* second = proc(&player, (file + "::/converter.htm").c_str(), HH_DISPLAY_TOPIC, 0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first, second);
  EXPECT_EQ(Topic(static_cast<QWidget*>(second)->findChild<QTextBrowser*>()), QStringLiteral("/converter.htm"));
  EXPECT_EQ(proc(&player, "/no/such.chm", HH_DISPLAY_TOPIC, 0), nullptr);
}

TEST_F(Help, WithoutTheLibraryOrItsFunctionHelpDoesNothingQuietly) {
  for (const std::string& folder : {std::string("/nonexistent/"), fixtures::BuildFolder() + "player/"}) {
    ReleaseHelpLibrary();
    SetHelpLibraryFolders({folder});
    if (folder.rfind("/nonexistent", 0) != 0) {
      // A library of that name without HtmlHelpA: the cabinet library stands in.
      const std::string fake = fixtures::FreshFolder("fake-help") + "HHCtrl.OCX";
      fs::copy_file(folder + "cabinet.dll", fake);
      SetHelpLibraryFolders({fs::path(fake).parent_path().string() + "/"});
    }
    LoadHelpLibrary();
    EXPECT_FALSE(HtmlHelpProc());
    player.AHelp->trigger();
    EXPECT_FALSE(HelpWindow());
    EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
  }
  SetHelpLibraryFolders({});
}

TEST(HelpFile, IsBuiltAndItsTopicsResolve) {
  const std::string path = fixtures::BuildFolder() + "player/ekPlayer.chm";
  chmFile* file = chm_open(path.c_str());
  ASSERT_TRUE(file) << path;
  for (const char* topic : {"/ekPlayer_v1_2.htm", "/converter.htm", "/images/segments.png"}) {
    chmUnitInfo unit{};
    EXPECT_EQ(chm_resolve_object(file, topic, &unit), CHM_RESOLVE_SUCCESS) << topic;
    EXPECT_GT(unit.length, 0u) << topic;
  }
  chmUnitInfo page{};
  ASSERT_EQ(chm_resolve_object(file, "/ekPlayer_v1_2.htm", &page), CHM_RESOLVE_SUCCESS);
  std::string text(static_cast<size_t>(page.length), '\0');
  chm_retrieve_object(file, &page, reinterpret_cast<unsigned char*>(text.data()), 0,
                      static_cast<LONGINT64>(page.length));
  EXPECT_NE(text.find("name=\"Segments\""), std::string::npos);
  chm_close(file);
}

TEST_F(Dialogs, AboutBoxTextsPlacesPictureAndLinks) {
  EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе"));
  EXPECT_EQ(about.size(), QSize(392, 233));
  EXPECT_EQ(about.RxLabel1->text(), QStringLiteral("ekPlayer"));
  EXPECT_EQ(about.RxLabel1->geometry(), QRect(232, 4, 107, 31));
  EXPECT_EQ(about.Label3->text(), QStringLiteral("версия 1.4"));
  EXPECT_EQ(about.Label3->alignment() & Qt::AlignRight, Qt::AlignRight);
  EXPECT_EQ(about.Label1->text().count(QLatin1Char('\n')), 1);
  EXPECT_EQ(about.Button1->text(), QStringLiteral("Закрыть"));
  EXPECT_EQ(about.Button1->geometry(), QRect(304, 200, 81, 25));
  EXPECT_EQ(about.Image1->pixmap().size(), QSize(162, 216));
  std::vector<std::string> opened;
  about.OpenLink = [&](const std::string& target) { opened.push_back(target); };
  QTest::mouseClick(about.lblMail, Qt::LeftButton);
  QTest::mouseClick(about.Label2, Qt::LeftButton);
  about.lblMail->setText(QStringLiteral("changed.example.org"));
  QTest::mouseClick(about.lblMail, Qt::LeftButton);
  EXPECT_EQ(opened, (std::vector<std::string>{"http://ekplayer.example.org", "mailto:help@ekplayer.example.org",
                                              "http://changed.example.org"}));
  // Reached from the menus only, and modal: it returns when closed.
  QTimer::singleShot(0, [this] { about.Button1->click(); });
  player.AAbout->trigger();
  EXPECT_FALSE(about.isVisible());
}

}  // namespace

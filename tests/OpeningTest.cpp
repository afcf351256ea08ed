// Opening movies end to end in the real main window, offscreen.
#include <QAction>
#include <QLabel>
#include <QProgressBar>

#include <QApplication>
#include <QTimer>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include "CabIntf.h"
#include "CabinetFixtures.h"
#include "Files.h"
#include "FolderLock.h"
#include "MessageBoxRecorder.h"
#include "OpenDialog.h"
#include "PlaybackFixtures.h"
#include "StartUp.h"
#include "ekLensaPlayerImpl1.h"

namespace fs = std::filesystem;
namespace mw = moviewriter;
using namespace fixtures;

namespace {

const char* const kMessage3 = "Данный формат файла не поддерживается";

std::vector<mw::Segment> SmallMovie() {
  std::vector<mw::Segment> movie;
  for (int s = 0; s < 2; ++s) {
    mw::Segment segment;
    segment.name = "Часть " + std::to_string(s + 1);
    segment.width = 7;
    segment.height = 5;
    segment.frameRate = 5;
    segment.shapes = {mw::ArrowShape()};
    for (int f = 0; f < 3 + s; ++f) segment.frames.push_back({Pattern(7, 5, 32, f + s), {0, 2, 2}, {}});
    movie.push_back(segment);
  }
  return movie;
}

std::string MovieBytes(const std::vector<mw::Segment>& movie) {
  const auto bytes = mw::WriteMovie(movie).bytes;
  return {bytes.begin(), bytes.end()};
}

// A cabinet holding the movie (and other files).
std::string MovieCabinet(const std::string& folder, const std::string& name, const std::string& movie,
                         const std::vector<std::string>& extra = {}) {
  WriteFile(folder + "MyFilm.~ekflm", movie);
  std::vector<std::string> files{"MyFilm.~ekflm"};
  for (const std::string& e : extra) {
    WriteFile(folder + e, "extra " + e);
    files.push_back(e);
  }
  MakeCabinet(folder, folder + name, files, true);
  fs::remove(folder + "MyFilm.~ekflm");
  return folder + name;
}

// Launcher bytes, the cabinet, and its length in the last four bytes.
std::string Packaged(const std::string& path, const std::string& cabinet, int64_t trailer = -1) {
  std::string bytes = "MZ launcher " + std::string(1000, '\x90');
  bytes += cabinet;
  const uint32_t length = trailer < 0 ? static_cast<uint32_t>(cabinet.size()) : static_cast<uint32_t>(trailer);
  for (int b = 0; b < 4; ++b) bytes += static_cast<char>(length >> (8 * b));
  WriteFile(path, bytes);
  return path;
}

class Opening : public testing::Test {
 protected:
  void SetUp() override {
    MessageBoxRecorder::boxes.clear();
    cabintf::SetLibraryFolders({BuildFolder() + "player/"});
    folder_ = FreshFolder("opening-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    movie_ = SmallMovie();
    player.PackageRetry = std::chrono::milliseconds(200);
  }

  void ExpectLoaded() {
    EXPECT_TRUE(player.Loaded);
    EXPECT_EQ(player.SegmentList.size(), 2u);
    EXPECT_EQ(player.CurSegment, 0);
    EXPECT_EQ(player.pbrProgress->maximum(), 7);
    EXPECT_FALSE(player.lblLoading->isVisible());
    EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& box : MessageBoxRecorder::boxes) texts.push_back(box.text);
    return texts;
  }

  TekLensaPlayer player;
  std::string folder_;
  std::vector<mw::Segment> movie_;
};

TEST_F(Opening, CabinetMovieOpensAndPlaysFromTheStart) {
  const std::string cab = MovieCabinet(folder_, "movie.ekcab", MovieBytes(movie_), {"notes.txt"});
  player.SetFileName(cab);
  ASSERT_TRUE(player.OpenMovie(cab));
  ExpectLoaded();
  EXPECT_EQ(player.CabinetFile, cab);
  EXPECT_FALSE(fs::exists(player.TempDir + "notes.txt"));
  player.APlayExecute();
  player.TimerTimer();
  EXPECT_EQ(player.CurSegment, 0);
  EXPECT_EQ(ComposedPicture(player).pixels, ExpectedPicture(movie_[0], 1).pixels);
}

TEST_F(Opening, PackagedMovieInAnyCaseTwiceInARow) {
  const std::string cabinet = ReadFile(MovieCabinet(folder_, "c.cab", MovieBytes(movie_)));
  const std::string exe = Packaged(folder_ + "DEMO.EXE", cabinet);
  for (int round = 0; round < 2; ++round) {
    player.SetFileName(exe);
    ASSERT_TRUE(player.OpenMovie(exe)) << round;
    ExpectLoaded();
    EXPECT_EQ(player.CabinetFile, player.TempDir + "temp.ekcab");
    EXPECT_FALSE(fs::exists(player.TempDir + "temp.ekcab"));
    EXPECT_TRUE(fs::exists(player.TempMovieFile));
  }
}

TEST_F(Opening, MovieSpanningACabinetSet) {
  // Enough frames that the movie spans three cabinets.
  std::vector<mw::Segment> large = SmallMovie();
  for (int f = 0; f < 2000; ++f) large[1].frames.push_back({Pattern(7, 5, 32, f), {0, 1, 1}, {}});
  const std::string movie = MovieBytes(large);
  ASSERT_GT(movie.size(), 3 * 32768u);
  const std::string first = MakeCabinetSet(folder_, "set", "MyFilm.~ekflm", movie, 3);
  ASSERT_TRUE(player.OpenMovie(first));
  EXPECT_EQ(player.TotalFrames(), 2007);
  EXPECT_EQ(ReadFile(player.TempMovieFile), movie);
}

TEST_F(Opening, RefusedFormatsShowMessageThree) {
  const std::string bare = folder_ + "film.~ekflm";
  WriteFile(bare, MovieBytes(movie_));
  EXPECT_FALSE(player.OpenMovie(bare));
  EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3});
  EXPECT_FALSE(player.lblLoading->isVisible());

  // A trailer of 0: an empty temporary cabinet, which stays.
  MessageBoxRecorder::boxes.clear();
  const std::string zero = Packaged(folder_ + "zero.exe", "", 0);
  EXPECT_FALSE(player.OpenMovie(zero));
  EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3});
  EXPECT_TRUE(fs::exists(player.TempDir + "temp.ekcab"));
  EXPECT_EQ(fs::file_size(player.TempDir + "temp.ekcab"), 0u);

  // A trailer past the file's start, a negative one, and a file shorter than a trailer are refused before any copy.
  for (const auto& [file, trailer] :
       {std::pair{"past.exe", int64_t{100000}}, std::pair{"negative.exe", int64_t{0xFFFFFFF0}}}) {
    fs::remove(player.TempDir + "temp.ekcab");
    MessageBoxRecorder::boxes.clear();
    EXPECT_FALSE(player.OpenMovie(Packaged(folder_ + file, "cab", trailer)));
    EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3});
    EXPECT_FALSE(fs::exists(player.TempDir + "temp.ekcab"));
  }
  WriteFile(folder_ + "tiny.exe", "MZ");
  MessageBoxRecorder::boxes.clear();
  EXPECT_FALSE(player.OpenMovie(folder_ + "tiny.exe"));
  EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3});
}

TEST_F(Opening, CabinetWithoutTheMovieOpensNothingAndShowsNothing) {
  WriteFile(folder_ + "other.txt", "x");
  MakeCabinet(folder_, folder_ + "other.ekcab", {"other.txt"}, true);
  EXPECT_FALSE(player.OpenMovie(folder_ + "other.ekcab"));
  EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
  EXPECT_FALSE(player.Loaded);
  EXPECT_FALSE(player.OpenMovie(folder_ + "missing.ekcab"));
  EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
}

TEST_F(Opening, TemporaryFolderHeldByAnotherPlayerWaitsThenShowsMessageOne) {
  const std::string cab = MovieCabinet(folder_, "m.ekcab", MovieBytes(movie_));
  player.TempFolderWait = std::chrono::milliseconds(100);
  {
    const platform::TFolderLock other(player.TempDir, std::chrono::milliseconds(0));
    ASSERT_TRUE(other.Held());
    EXPECT_FALSE(player.OpenMovie(cab));
  }
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::boxes[0].text,
            "Файл " + player.TempMovieFile + " занят другим приложением или содержит атрибут \"только для чтения\".");
  EXPECT_FALSE(player.Loaded);

  // Let go within the wait: the opening goes on.
  MessageBoxRecorder::boxes.clear();
  player.TempFolderWait = std::chrono::seconds(10);
  auto other = std::make_unique<platform::TFolderLock>(player.TempDir, std::chrono::milliseconds(0));
  std::thread release([&other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    other.reset();
  });
  EXPECT_TRUE(player.OpenMovie(cab));
  release.join();
  ExpectLoaded();
}

TEST_F(Opening, WhateverStandsAtTheFixedNamesIsRemovedFirst) {
  const std::string outside = folder_ + "precious.txt";
  WriteFile(outside, "keep me");
  fs::create_directories(player.TempMovieFile + "/inside");
  fs::create_directories(player.TempDir + "temp.ekcab/inside");
  const std::string exe = Packaged(folder_ + "film.exe", ReadFile(MovieCabinet(folder_, "c.cab", MovieBytes(movie_))));
  ASSERT_TRUE(player.OpenMovie(exe));
  ExpectLoaded();

  // A link at the movie's place is removed, not followed.
  fs::remove(player.TempMovieFile);
  fs::create_symlink(outside, player.TempMovieFile);
  ASSERT_TRUE(player.OpenMovie(exe));
  EXPECT_EQ(ReadFile(outside), "keep me");
  EXPECT_FALSE(fs::is_symlink(player.TempMovieFile));
}

TEST_F(Opening, CabinetThatWouldBlockTheFixedNamesIsRefusedAndOpeningGoesOn) {
  for (const std::string name : {"MyFilm.~ekflm/x", "temp.ekcab/x"}) {
    MessageBoxRecorder::boxes.clear();
    MakeLinkedCabinet(folder_ + "hostile.ekcab", {{name, "x"}});
    EXPECT_FALSE(player.OpenMovie(folder_ + "hostile.ekcab")) << name;
    EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3}) << name;
    MessageBoxRecorder::boxes.clear();
    const std::string exe =
        Packaged(folder_ + "after.exe", ReadFile(MovieCabinet(folder_, "c.cab", MovieBytes(movie_))));
    ASSERT_TRUE(player.OpenMovie(exe)) << name;
    ExpectLoaded();
  }
}

// The private folder is the packaged movie's program folder: whatever else a
// cabinet holds would be taken for the player's own files there.
TEST_F(Opening, OnlyTheMovieFileIsTakenOutOfACabinet) {
  const std::vector<std::string> planted{"HHCtrl.OCX",     "ekPlayer.chm",         "cabinet.dll",
                                         "ekPlayer.exe/x", "platforms/libqxcb.so", "libmark.so"};
  std::vector<std::pair<std::string, std::string>> entries{{"MyFilm.~ekflm", MovieBytes(movie_)}};
  for (const std::string& name : planted) entries.emplace_back(name, "planted");
  const std::string cabinet = MakeLinkedCabinet(folder_ + "planting.ekcab", entries);
  for (const std::string& path : {cabinet, Packaged(folder_ + "planting.exe", ReadFile(cabinet))}) {
    ASSERT_TRUE(player.OpenMovie(path)) << path;
    ExpectLoaded();
    for (const std::string& name : planted)
      EXPECT_FALSE(fs::exists(player.TempDir + name.substr(0, name.find('/')))) << name;
  }
}

TEST_F(Opening, APrivateFolderRemovedWhileThePlayerRunsIsMadeAgain) {
  const std::string cab = MovieCabinet(folder_, "movie.ekcab", MovieBytes(movie_));
  ASSERT_TRUE(player.OpenMovie(cab));
  fs::remove_all(player.TempDir);
  ASSERT_TRUE(player.OpenMovie(cab));
  ExpectLoaded();
  EXPECT_EQ(fs::status(player.TempDir).permissions() & fs::perms::all, fs::perms::owner_all);
}

// A movie of hundreds of megabytes once stayed in the temporary folder.
TEST_F(Opening, NoMovieStaysInTheTemporaryFolderOnceThePlayerEnds) {
  const std::string cab = MovieCabinet(folder_, "movie.ekcab", MovieBytes(movie_));
  {
    TekLensaPlayer other;
    ASSERT_TRUE(other.OpenMovie(cab));
    ASSERT_TRUE(fs::exists(other.TempMovieFile));
  }
  EXPECT_FALSE(fs::exists(player.TempMovieFile));
  // What a killed player left goes at the next start, unless another player holds the folder.
  WriteFile(player.TempMovieFile, "left");
  WriteFile(player.TempDir + "temp.ekcab", "left");
  {
    const platform::TFolderLock busy(player.TempDir, std::chrono::milliseconds(0));
    ASSERT_TRUE(busy.Held());
    TekLensaPlayer started;
    EXPECT_TRUE(fs::exists(player.TempMovieFile));
  }
  { TekLensaPlayer started; }
  EXPECT_FALSE(fs::exists(player.TempMovieFile));
  EXPECT_FALSE(fs::exists(player.TempDir + "temp.ekcab"));
}

TEST_F(Opening, GoodThenDamagedThenGoodShowsTheGoodMovieBothTimes) {
  std::vector<mw::Segment> other = SmallMovie();
  other[0].name = "Чужой";
  std::string damaged = ReadFile(MovieCabinet(folder_, "damaged.ekcab", MovieBytes(other)));
  damaged.resize(damaged.size() - 40);
  WriteFile(folder_ + "damaged.ekcab", damaged);
  const std::string good = MovieCabinet(folder_, "good.ekcab", MovieBytes(movie_));
  ASSERT_TRUE(player.OpenMovie(good));
  EXPECT_FALSE(player.OpenMovie(folder_ + "damaged.ekcab"));
  EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3});
  MessageBoxRecorder::boxes.clear();
  ASSERT_TRUE(player.OpenMovie(good));
  ExpectLoaded();
  EXPECT_EQ(player.SegmentList[0]->Name.Utf8(), "Часть 1");
}

TEST_F(Opening, FullDiskRemovesThePartialCabinetAndSaysSo) {
  const std::string mount = FreshFolder("full-disk");
  if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=96k,mode=0700") != 0)
    GTEST_SKIP() << "a small file system can't be mounted here (needs root): " << std::strerror(errno);
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount(path.c_str()); }
  } unmount{mount};
  player.TempDir = mount;
  player.TempMovieFile = mount + "MyFilm.~ekflm";
  std::string cabinet;
  for (int i = 0; i < 200000; ++i) cabinet += static_cast<char>(i * 2654435761u >> 13);
  EXPECT_FALSE(player.OpenMovie(Packaged(folder_ + "big.exe", cabinet)));
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"LoadFromFile: Не могу записать файл temp.ekcab: на диске нет места."});
  EXPECT_FALSE(fs::exists(mount + "temp.ekcab"));
  // The space is free again for the next movie.
  MessageBoxRecorder::boxes.clear();
  ASSERT_TRUE(
      player.OpenMovie(Packaged(folder_ + "small.exe", ReadFile(MovieCabinet(folder_, "c.cab", MovieBytes(movie_))))));
  ExpectLoaded();
}

TEST_F(Opening, PackagedMovieHeldByAnotherProgramOpensWhenReleased) {
  const std::string cabinet = ReadFile(MovieCabinet(folder_, "c.cab", MovieBytes(movie_)));
  const std::string exe = Packaged(folder_ + "held.exe", cabinet);
  player.PackageRetry = std::chrono::milliseconds(5000);
  const int fd = ::open(exe.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_SH), 0);
  std::thread release([fd] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::close(fd);
  });
  EXPECT_TRUE(player.OpenMovie(exe));
  release.join();

  // Held for longer than the retry: message three, nothing extracted.
  player.PackageRetry = std::chrono::milliseconds(100);
  const int held = ::open(exe.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_SH), 0);
  MessageBoxRecorder::boxes.clear();
  EXPECT_FALSE(player.OpenMovie(exe));
  EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3});
  ::close(held);
}

// A mistyped name once released the loaded movie without a word; and a
// folder of packaged movies looked empty.
TEST_F(Opening, TheOpenDialogTakesOnlyExistingFilesAndOffersEveryKindOfMovie) {
  QFileDialog dialog;
  SetUpOpenDialog(dialog);
  EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(dialog.nameFilters(), QStringList({"ekLensa Files (*.ekcab)", "Фильмы-программы (*.exe *.EXE)",
                                               "Файлы фильмов (*.~ekflm)", "Все файлы (*)"}));
}

TEST_F(Opening, TheOpenDialogOpensWhereTheLastMovieWasChosen) {
  const std::string cab = MovieCabinet(folder_, "m.ekcab", MovieBytes(movie_));
  std::vector<std::string> folders;
  player.OpenDialog = [&](const std::string& folder) {
    folders.push_back(folder);
    return std::optional<std::string>(cab);
  };
  QSettings(QStringLiteral("ekPlayer"), QStringLiteral("ekPlayer")).clear();
  player.ALoadFromFileExecute();
  player.ALoadFromFileExecute();
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_NE(folders[0], platform::ProgramFolder());
  EXPECT_TRUE(fs::is_directory(folders[0])) << folders[0];
  EXPECT_EQ(fs::path(folders[1]), fs::path(folder_).parent_path());
}

TEST_F(Opening, AMovieDroppedOnTheWindowStopsWhatPlaysAndOpens) {
  const std::string first = MovieCabinet(folder_, "first.ekcab", MovieBytes(movie_));
  player.SetFileName(first);
  ASSERT_TRUE(player.OpenMovie(first));
  player.APlayExecute();
  ASSERT_EQ(player.PlayState, playstate::Playing);
  std::vector<mw::Segment> other = SmallMovie();
  other[0].name = "Другой";
  const std::string second = MovieCabinet(folder_, "second.ekcab", MovieBytes(other));

  QMimeData text;
  text.setText(QStringLiteral("not a file"));
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&player, &refused);
  EXPECT_FALSE(refused.isAccepted());

  QMimeData file;
  file.setUrls({QUrl::fromLocalFile(QString::fromStdString(second))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&player, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&player, &drop);
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  ExpectLoaded();
  EXPECT_EQ(player.SegmentList[0]->Name.Utf8(), "Другой");
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("second.ekcab"));
}

TEST_F(Opening, DialogCancelKeepsALoadedMovieAndRetriesAFailedOne) {
  const std::string cab = MovieCabinet(folder_, "m.ekcab", MovieBytes(movie_));
  int asked = 0;
  std::optional<std::string> answer = cab;
  player.OpenDialog = [&](const std::string&) {
    ++asked;
    return answer;
  };
  player.ALoadFromFileExecute();
  EXPECT_TRUE(player.Loaded);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("m.ekcab"));
  answer.reset();
  player.ALoadFromFileExecute();
  EXPECT_TRUE(player.Loaded);
  EXPECT_EQ(player.SegmentList.size(), 2u);
  EXPECT_EQ(asked, 2);

  // A failed opening is tried again on cancel; the file name is never lost.
  const std::string bare = folder_ + "bare.~ekflm";
  WriteFile(bare, MovieBytes(movie_));
  answer = bare;
  player.ALoadFromFileExecute();
  EXPECT_FALSE(player.Loaded);
  EXPECT_EQ(player.GetFileName(), bare);
  answer.reset();
  MessageBoxRecorder::boxes.clear();
  player.ALoadFromFileExecute();
  EXPECT_EQ(Messages(), std::vector<std::string>{kMessage3});
  EXPECT_EQ(player.GetFileName(), bare);
}

TEST_F(Opening, MovieWithoutSegmentsLoadsButDoesNotPlay) {
  const std::string cab = MovieCabinet(folder_, "empty.ekcab", MovieBytes({}));
  ASSERT_TRUE(player.OpenMovie(cab));
  EXPECT_TRUE(player.Loaded);
  EXPECT_EQ(player.CurSegment, -1);
  EXPECT_EQ(player.pbrProgress->maximum(), 0);
  player.APlayExecute();
  EXPECT_EQ(player.PlayState, playstate::Stopped);
}

TEST_F(Opening, MovieNamedAtStartPlaysAtOnceAndItsErrorsEndTheProgram) {
  const std::string exe = Packaged(folder_ + "DEMO.EXE", ReadFile(MovieCabinet(folder_, "c.cab", MovieBytes(movie_))));
  EXPECT_EQ(OpenMovieAtStart(player, {"\"" + exe + "\""}), std::nullopt);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_EQ(player.CurSegment, 0);
  EXPECT_EQ(player.FrameIndex, 0);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Часть 1"));
  player.AStopExecute();

  std::string movie = MovieBytes(movie_);
  movie.resize(movie.size() - 10);
  const std::string damaged = MovieCabinet(folder_, "damaged.ekcab", movie);
  EXPECT_EQ(OpenMovieAtStart(player, {damaged}), 1);
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::boxes[0].caption, "Error");
  // A name that leads nowhere is said, and the program goes on.
  MessageBoxRecorder::boxes.clear();
  EXPECT_EQ(OpenMovieAtStart(player, {folder_ + "no", "such.ekcab"}), std::nullopt);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("no such.ekcab"));
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_NE(MessageBoxRecorder::boxes[0].text.find("no such.ekcab\". "), std::string::npos)
      << MessageBoxRecorder::boxes[0].text;
}

TEST_F(Opening, SalvageAtStartPlaysWhatSurvivesAndSaysTheMovieWasRepaired) {
  std::string movie = MovieBytes(movie_);
  movie.resize(movie.size() - 10);
  const std::string damaged = MovieCabinet(folder_, "damaged.ekcab", movie);
  EXPECT_EQ(OpenMovieAtStart(player, {"--salvage", damaged}), std::nullopt);
  EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_GT(player.TotalFrames(), 0);
  player.AStopExecute();
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("damaged.ekcab [восстановлен]"));

  // A sound movie plays as it is; noise is said and not played.
  const std::string sound = MovieCabinet(folder_, "sound.ekcab", MovieBytes(movie_));
  EXPECT_EQ(OpenMovieAtStart(player, {"--salvage", sound}), std::nullopt);
  player.AStopExecute();
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("sound.ekcab"));
  WriteFile(folder_ + "noise.~ekflm", std::string(5000, '\x5A'));
  EXPECT_EQ(OpenMovieAtStart(player, {"--salvage", folder_ + "noise.~ekflm"}), std::nullopt);
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_NE(MessageBoxRecorder::boxes[0].text.find("не удалось восстановить"), std::string::npos);
  EXPECT_EQ(player.PlayState, playstate::Stopped);
}

TEST_F(Opening, WindowsNameAtStartIsTakenByteForByte) {
  // "Урок.ekcab" in Windows-1251: not valid UTF-8.
  const std::string name = "\xD3\xF0\xEE\xEA.ekcab";
  const std::string cab = MovieCabinet(folder_, name, MovieBytes(movie_));
  EXPECT_EQ(OpenMovieAtStart(player, {cab}), std::nullopt);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  player.AStopExecute();
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Урок.ekcab"));
}

TEST_F(Opening, UnsupportedDepthAtStartEndsTheProgramAfterMessageZero) {
  mw::Movie movie = mw::WriteMovie(movie_);
  movie.bytes[static_cast<size_t>(movie.Find(1, "segment information").offset + 16)] = 16;
  const std::string cab = MovieCabinet(folder_, "deep.ekcab", {movie.bytes.begin(), movie.bytes.end()});
  EXPECT_EQ(OpenMovieAtStart(player, {cab}), 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"В текущей версии не поддерживается данный видео режим."});
  EXPECT_FALSE(player.Timer.isActive());
}

TEST_F(Opening, ErrorOfTheFirstPlayAtStartEndsTheProgram) {
  TekLensaPlayer small(64);
  const std::string cab = MovieCabinet(folder_, "big.ekcab", MovieBytes(movie_));
  EXPECT_EQ(OpenMovieAtStart(small, {cab}), 1);
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::boxes[0].text, "Segment is too big");
  EXPECT_EQ(MessageBoxRecorder::boxes[0].caption, "Error");
  EXPECT_FALSE(small.Timer.isActive());
}

TEST_F(Opening, ProgramEndWithTheSeparateWindowOnTouchesNoFreedWindow) {
  const std::string cab = MovieCabinet(folder_, "m.ekcab", MovieBytes(movie_));
  // Once the loop runs: the separate-window mode on, then the end of the
  // program. A timer, as the opening lets no timer fire while it paints.
  QTimer::singleShot(1, [] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* main = qobject_cast<TekLensaPlayer*>(widget)) main->OwnWindowMode = true;
    QApplication::quit();
  });
  EXPECT_EQ(RunPlayer(*qApp, {cab}), 0);
}

TEST_F(Opening, MainWindowClosedWhileTheMovieLoadsEndsTheProgram) {
  const std::string cab = MovieCabinet(folder_, "m.ekcab", MovieBytes(movie_));
  // Delivered while the opening paints its windows, before the event loop.
  QTimer::singleShot(0, [] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* main = qobject_cast<TekLensaPlayer*>(widget)) main->close();
  });
  // Left running, the program would wait for ever with no window: ended here with 2.
  QTimer hang;
  hang.setSingleShot(true);
  QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(2); });
  hang.start(3000);
  EXPECT_EQ(RunPlayer(*qApp, {cab}), 0);
}

TEST_F(Opening, DamagedMovieRaisesItsMessageAndHidesTheNotice) {
  std::string movie = MovieBytes(movie_);
  movie.resize(movie.size() - 10);
  const std::string cab = MovieCabinet(folder_, "damaged.ekcab", movie);
  player.SetFileName(cab);
  try {
    player.OpenMovie(cab);
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("segment 2: frame stream"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(player.lblLoading->isVisible());
  EXPECT_FALSE(player.Loaded);
  EXPECT_EQ(player.GetFileName(), cab);
  // Its first segment, read before the damage, is not played.
  EXPECT_TRUE(player.SegmentList.empty());
  player.APlayExecute();
  EXPECT_EQ(player.PlayState, playstate::Stopped);
}

}  // namespace

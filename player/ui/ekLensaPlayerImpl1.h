// The main window, which is also the movie model and the playback engine:
// it owns the loaded movie, the frame buffer, the pictures and the playback
// state. The work without windows is TMoviePlayback's; the member functions
// of the window are defined in the files of their subsystem.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DirtyTiles.h"
#include "MoviePlayback.h"
#include "PictureFrames.h"

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QToolButton;
class QWidget;
class TPictureView;
class TSTCabReader;
class TTextIndexing;
class TTextRecognizer;
class TfrmFind;
struct TTextLine;
class TfrmAbout;
class TfrmDisplay;
class TfrmSegments;

struct TLogPalette {
  uint16_t palVersion = 0x300;
  uint16_t palNumEntries = 256;
  std::array<gdi::RGBQuad, 256> palPalEntry{};
};

namespace playstate {
inline constexpr uint8_t Stopped = 0;
inline constexpr uint8_t Playing = 3;
inline constexpr uint8_t Paused = 4;
}  // namespace playstate

class TekLensaPlayer : public QMainWindow, public TMoviePlayback {
  Q_OBJECT

 public:
  // frameBufferSize is the block that creation asks for; tests ask for one
  // that can't be had.
  explicit TekLensaPlayer(int64_t frameBufferSize = FrameBufferSize);
  ~TekLensaPlayer() override;

  // The three other windows, made after the main window.
  void AttachWindows(TfrmSegments* segments, TfrmAbout* about, TfrmDisplay* display);
  // Creation could not get its frame buffer; the program ends after the message.
  bool CreationFailed() const { return creationFailed_; }
  // A segment of a depth that can't be shown was met; the program is ending.
  bool Ending() const { return ending_; }

  // Movie file reading.
  void ReadSegmentTable(platform::TStream* stream);
  void LoadSegmentFromStream(platform::TStream* stream);

  // Opening.
  void SetFileName(const std::string& path);
  const std::string& GetFileName() const { return FileName; }
  // The movie's file name without its folder, as text to show, and that it
  // was repaired when it was.
  QString FileNameCaption() const;
  void ALoadFromFileExecute();
  // A movie file dropped on the main or the display window: what plays stops,
  // and the file opens as if chosen in the dialog.
  void OpenDroppedFile(const std::string& path);
  // The named movie opened, when it isn't loaded yet: the end of both.
  void OpenNamedMovie();
  bool OpenMovie(const std::string& path);
  // Reads a whole movie file into the player as opening does once it is
  // extracted: the segments, the segments dialog's table, the bar; the first
  // segment current. A damaged movie throws, leaving what was read.
  void LoadMovieFile(platform::TStream& movie);
  // Puts the movie file in place and reads it through `read` while the
  // temporary folder is this player's alone.
  bool ExtractMovieFile(const std::string& path, const std::function<void(platform::TStream&)>& read);
  // Reads what can still be played of a damaged movie, as rescue keeps it,
  // from memory; false, after saying so, when nothing can.
  bool SalvageMovieFile(const std::string& path);
  TResult ResetMovie();
  // The open dialog, starting in the given folder: the chosen path, or none
  // when cancelled. Tests put their own in its place.
  std::function<std::optional<std::string>(const std::string& folder)> OpenDialog;
  // How long a packaged movie that another program holds is tried again.
  std::chrono::milliseconds PackageRetry{15000};
  // How long another player may keep the temporary folder busy.
  std::chrono::milliseconds TempFolderWait{15000};
  std::unique_ptr<TSTCabReader> STCabReader;

  // Transport.
  void SetPlayState(uint8_t state);
  void APlayExecute();
  void APauseExecute();
  void AStopExecute();
  void EnableTimer(bool on);
  void UpdateButtonGlyphs();
  QColor ButtonTransparentColor(const QToolButton* button) const;

  // Clock.
  void TimerTimer();
  void PresentPicture();
  TResult NextSegment();
  void ComposeFrame();
  // After a frame is composed: the bar, then the next frame, segment or the
  // end of the movie. False when playing can't go on.
  bool AdvanceFrame();
  // The timer's interval for a segment at the playing speed.
  int FrameInterval(const SegInfo& segment) const;

  // Going to a frame, stepping and the playing speed.
  // Frame `frame` of the whole movie shown: playing goes on from it, a pause
  // stays, and a stopped movie is paused there.
  void GoToFrame(int64_t frame);
  void AStepBackExecute();
  void AStepForwardExecute();
  void APreviousSegmentExecute();
  void ANextSegmentExecute();
  void AFirstFrameExecute();
  void AFasterExecute();
  void ASlowerExecute();
  // Space: play or pause, as F9 or F10 would, when that action is enabled.
  void APlayPauseExecute();
  // Escape in the full-screen display window: the separate mode off, as F8.
  void ALeaveFullScreenExecute();
  // The playing speed is 2 to this power, from -2 to 2.
  void SetSpeedStep(int step);
  // The active segment's name, and the speed when it isn't normal.
  QString SegmentCaption() const;
  // The segment's name in the path panel and in the display window's title.
  void ShowSegmentCaption();

  // Layout and the separate display window.
  void LayoutPicture();
  void ShowEndSplash();
  bool IsOwnWindowMode() const { return OwnWindowMode; }
  void SetOwnWindowMode(bool on);
  void ASetOwnWindowExecute();
  void FormResize();

  // The window's own commands.
  void AShowPanelExecute();
  void SetPanelVisible(bool visible);
  void spDisplayMouseDown(Qt::MouseButton button);
  void ASegmentsExecute();
  void FillSegmentsGrid();
  // The segments dialog's choice of row `row` (from 1), by transport state.
  void SegmentChosen(int row);
  void ShowSegmentsHelp(QWidget* owner);
  void AHelpExecute();
  void AAboutExecute();
  void AExitExecute();
  // Every exception that leaves a handler ends here: timer off, the
  // message in an error box, playback stopped.
  void ApplicationEvents1Exception(const std::string& message);
  // Runs a handler so that no exception reaches Qt.
  void Guarded(const std::function<void()>& handler);

  // The text on the pictures: read in the background once a movie is open,
  // found with Ctrl+F and F3, copied with Shift+drag on a paused picture.
  void StartTextReading();
  void AFindExecute();
  void AFindNextExecute();
  // The find window turned to the loaded movie's text cache.
  void FindMovieText();
  // Goes to the moment a found line stood, pauses, and outlines it.
  void ShowTextLine(const TTextLine& line);
  // Reads the text of the presented picture's pixels onto the clipboard.
  void CopyPictureText(const QRect& pixels);
  QPointer<TfrmFind> frmFind;
  std::unique_ptr<TTextIndexing> TextIndexing;
  // The loaded movie's text cache: its folder and key, found when first asked for.
  std::string TextFolder, TextKey;

  // The picture the window shows: the last presented frame.
  const QImage& PresentedPicture() const { return presented_; }
  // How many presents have changed it so far.
  uint64_t PresentCount() const { return presentCount_; }
  int SplashMilliseconds = 1000;

  std::string FileName;
  std::string CabinetFile;
  std::string TempDir;
  std::string TempMovieFile;
  std::string HelpFilePath;
  bool Loaded = false;
  // Movies are opened through rescue, as the command line asked; the one
  // loaded was damaged and repaired on the way.
  bool Salvage = false;
  bool Repaired = false;
  uint8_t PlayState = playstate::Stopped;
  TResult LastResult = result::AllRight;
  bool OwnWindowMode = false;
  TLogPalette LogPalette;
  gdi::Rgb BackgroundBrush = gdi::kBlack;
  QWidget* TargetCanvas = nullptr;
  int32_t PictureLeft = 0;
  int32_t PictureTop = 0;

  // Guarded: whichever of the windows goes first, the other never touches it.
  QPointer<TfrmSegments> frmSegments;
  QPointer<TfrmAbout> frmAbout;
  QPointer<TfrmDisplay> frmDisplay;

  QTimer Timer;
  // The ten actions, in the order of the action list.
  std::vector<QAction*> ActionList;
  QAction* ALoadFromFile = nullptr;
  QAction* APlay = nullptr;
  QAction* APause = nullptr;
  QAction* AStop = nullptr;
  QAction* ASegments = nullptr;
  QAction* AShowPanel = nullptr;
  QAction* ASetOwnWindow = nullptr;
  QAction* AHelp = nullptr;
  QAction* AAbout = nullptr;
  QAction* AExit = nullptr;
  // Going to frames and the playing speed: keys of their own, in no menu.
  std::vector<QAction*> NavigationActions;
  QAction* AStepBack = nullptr;
  QAction* AStepForward = nullptr;
  QAction* APreviousSegment = nullptr;
  QAction* ANextSegment = nullptr;
  QAction* AFirstFrame = nullptr;
  QAction* AFaster = nullptr;
  QAction* ASlower = nullptr;
  QAction* APlayPause = nullptr;
  QAction* AFind = nullptr;
  QAction* AFindNext = nullptr;
  QAction* ALeaveFullScreen = nullptr;
  int SpeedStep = 0;
  TPictureFrames PictureFrames;
  QMenuBar* MainMenu1 = nullptr;
  QMenu* pupMain = nullptr;
  QWidget* pnlControls = nullptr;
  QToolButton* btnLoadFromFile = nullptr;
  QToolButton* btnPlay = nullptr;
  QToolButton* btnPause = nullptr;
  QToolButton* btnStop = nullptr;
  QToolButton* btnSegments = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QToolButton* btnInOwnWindow = nullptr;
  QProgressBar* pbrProgress = nullptr;
  QLabel* pnlPath = nullptr;
  QLabel* imgSplash = nullptr;
  QLabel* lblLoading = nullptr;
  QLabel* lblLoading_Shadow = nullptr;
  TPictureView* spDisplay = nullptr;
  // The picture area of the display window, once it is attached.
  QPointer<TPictureView> displayView_;

 protected:
  void SegmentActivated(const SegInfo& segment) override;
  void UnsupportedDepth() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ActiveFormCreate(int64_t frameBufferSize);
  void ActiveFormDestroy();
  void CreateActions();
  void CreateNavigationActions();
  void CreateMenus();
  void CreateControlPanel();
  // Where a picture of width x height goes: scaled or not, and its place in
  // the picture area. Placing the display window is part of laying it out.
  struct TPictureLayout {
    bool stretch = false;
    int32_t scaledWidth = 0, scaledHeight = 0;
    int32_t left = 0, top = 0;
  };
  TPictureLayout LayoutInMainWindow(int width, int height) const;
  TPictureLayout LayoutDisplayWindow(int width, int height);
  // One row of the segments dialog: number, name, duration.
  void ListSegment(int row, const TShortString& name, int32_t frames, uint8_t rate);
  void CreateLoadingNotice();
  void ShowLoadingNotice(bool visible);
  void SetButtonTransparentColor(QToolButton* button, QColor colour);
  void EndOfMovie();

  bool creationFailed_ = false;
  bool ending_ = false;
  std::map<const QToolButton*, QColor> transparentColors_;
  QImage presented_;
  uint64_t presentCount_ = 0;
  // What a present repaints.
  TDirtyTiles dirty_;
  // The changes the engine handed over for the present under way.
  TChangedArea shown_;
  // The colours the presented image shows an 8-bit picture in.
  std::array<QRgb, 256> presentedColours_{};
  // Made on the first copy: starting it reads its models, a second or so.
  std::unique_ptr<TTextRecognizer> recognizer_;
  QImage titlePicture_;
};

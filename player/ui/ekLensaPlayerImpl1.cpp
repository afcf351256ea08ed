#include "ekLensaPlayerImpl1.h"

#include <QAction>
#include <QLabel>
#include <QVBoxLayout>

#include "CabSTComps.h"
#include "CodeFolders.h"
#include "CodePage.h"
#include "DroppedFile.h"
#include "DurationText.h"
#include "Files.h"
#include "Jpeg.h"
#include "MessageBox.h"
#include "MovieExtraction.h"
#include "MovieFiles.h"
#include "MovieReader.h"
#include "PictureView.h"
#include "Screen.h"
#include "TextIndexing.h"
#include "TextRecognizer.h"
#include "TitlePicture.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekFind.h"
#include "ekSegments.h"

// The pictures of the actions live in a static library: their registration is asked for by name.
static void InitActionImages() { Q_INIT_RESOURCE(images); }

TekLensaPlayer::TekLensaPlayer(int64_t frameBufferSize)
    : STCabReader(std::make_unique<TSTCabReader>()), TextIndexing(std::make_unique<TTextIndexing>()) {
  InitActionImages();
  setWindowTitle(QStringLiteral("ekPlayer v1.4"));
  setMinimumSize(500, 300);
  setGeometry(374, 127, 761, 649);
  // Sizes are pixels, whatever the desktop's font size.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  CreateActions();
  CreateNavigationActions();
  CreateMenus();
  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  spDisplay = new TPictureView(*this, client, QColor(128, 128, 128), /*clickPlays=*/true);
  layout->addWidget(spDisplay, 1);
  CreateControlPanel();
  layout->addWidget(pnlControls);
  setCentralWidget(client);
  CreateLoadingNotice();
  Timer.setInterval(100);
  connect(&Timer, &QTimer::timeout, this, [this] { Guarded([this] { TimerTimer(); }); });
  AcceptFileDrops(*this, *this, [this](const std::string& file) { Guarded([this, &file] { OpenDroppedFile(file); }); });
  ActiveFormCreate(frameBufferSize);
}

TekLensaPlayer::~TekLensaPlayer() {
  ActiveFormDestroy();
  // The display window outlives the main window: it keeps nothing of it.
  if (frmDisplay) {
    frmDisplay->FormClose = nullptr;
    delete displayView_;
  }
}

void TekLensaPlayer::AttachWindows(TfrmSegments* segments, TfrmAbout* about, TfrmDisplay* display) {
  frmSegments = segments;
  frmAbout = about;
  frmDisplay = display;
  for (QWidget* window : {static_cast<QWidget*>(segments), static_cast<QWidget*>(about)})
    if (window) window->setAttribute(Qt::WA_QuitOnClose, false);
  if (display) {
    displayView_ = new TPictureView(*this, display, QColor(192, 192, 192), /*clickPlays=*/false);
    auto* layout = new QVBoxLayout(display);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(displayView_);
    display->FormClose = [this] { Guarded([this] { SetOwnWindowMode(false); }); };
    // Dropped there, a movie opens here, for as long as this window lives.
    AcceptFileDrops(*display, *this,
                    [this](const std::string& file) { Guarded([this, &file] { OpenDroppedFile(file); }); });
    // It carries the popup menu, so every shortcut acts there as here; F1 included.
    for (QAction* action : ActionList) display->addAction(action);
    for (QAction* action : NavigationActions) display->addAction(action);
    display->addAction(ALeaveFullScreen);
  }
  // The dialog's Enter and F1 are its own; every other shortcut reaches the main window.
  if (segments) {
    for (QAction* action : ActionList)
      if (action != AHelp) segments->addAction(action);
    segments->OnSelect = [this](int row) { Guarded([this, row] { SegmentChosen(row); }); };
    segments->OnHelp = [this](QWidget* owner) { Guarded([this, owner] { ShowSegmentsHelp(owner); }); };
  }
}

void TekLensaPlayer::ActiveFormCreate(int64_t frameBufferSize) {
  TempDir = platform::GetTempPath();
  TempMovieFile = TempDir + kMovieFileName;
  // What a player that was killed left behind.
  RemoveExtractedFiles(TempDir);
  // Beside the program, or where an installed player keeps its libraries.
  const std::vector<std::string> helpFolders = platform::CodeFolders(platform::TCodeOrigin::Installed);
  HelpFilePath = platform::TrustedFile("ekPlayer.chm", helpFolders).value_or(helpFolders.back() + "ekPlayer.chm");
  SegmentList.clear();
  LastResult = AllocFrameBuffer(frameBufferSize);
  if (LastResult != result::AllRight) {
    ShowResult("FormCreate", LastResult);
    creationFailed_ = true;
    return;
  }
  LogPalette = TLogPalette{};
  ColorTable.fill({});
  CursorWidth = platform::Screen().cursorWidth;
  CursorHeight = platform::Screen().cursorHeight;
  GetDisplaySettings();
  BackgroundBrush = gdi::kBlack;
  SetPlayState(playstate::Stopped);
  TargetCanvas = spDisplay;
  SetPanelVisible(true);
  OwnWindowMode = false;
  Loaded = false;
  const platform::RgbImage title = platform::DecodeJpeg(kTitlePicture, kTitlePictureSize);
  titlePicture_ = QImage(title.rgb.data(), title.width, title.height, title.width * 3, QImage::Format_RGB888).copy();
}

void TekLensaPlayer::ActiveFormDestroy() {
  if (creationFailed_) return;
  AStopExecute();
  FreeSegments();
  LastResult = FreeFrameBuffer();
  RemoveExtractedFiles(TempDir);
}

void TekLensaPlayer::ReadSegmentTable(platform::TStream* stream) {
  if (!stream) return;
  const std::vector<SegmentTableEntry> entries = ReadSegmentEntries(*stream);
  if (entries.empty() || !frmSegments) return;
  frmSegments->SetRowCount(static_cast<int>(entries.size()) + 1);
  for (size_t i = 0; i < entries.size(); ++i)
    ListSegment(static_cast<int>(i) + 1, entries[i].Name, entries[i].FrameCount, entries[i].FrameRate);
}

void TekLensaPlayer::ListSegment(int row, const TShortString& name, int32_t frames, uint8_t rate) {
  frmSegments->SetCell(0, row, QString::number(row));
  frmSegments->SetCell(1, row, QString::fromStdString(name.Utf8()));
  frmSegments->SetCell(2, row, QString::fromStdString(DurationText(frames, rate)));
}

void TekLensaPlayer::LoadSegmentFromStream(platform::TStream* stream) {
  if (!stream) return;
  ReadSegmentBlock(*stream, SegmentList, static_cast<int>(SegmentList.size()) + 1);
}

void TekLensaPlayer::SetFileName(const std::string& path) {
  FileName = path;
  pnlPath->setText(FileNameCaption());
  Loaded = false;
}

QString TekLensaPlayer::FileNameCaption() const {
  const QString name = QString::fromStdString(platform::FileNameText(platform::ExtractFileName(FileName)));
  return Repaired ? name + QStringLiteral(" [восстановлен]") : name;
}

void TekLensaPlayer::ApplicationEvents1Exception(const std::string& message) {
  EnableTimer(false);
  platform::MessageBox(message, "Error", platform::MessageIcon::Error);
  AStopExecute();
}

void TekLensaPlayer::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) { ApplicationEvents1Exception(e.what()); }
}

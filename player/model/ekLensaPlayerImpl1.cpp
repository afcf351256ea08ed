#include "ekLensaPlayerImpl1.h"

#include <QLabel>

#include "DurationText.h"
#include "CodePage.h"
#include "Files.h"
#include "Jpeg.h"
#include "MessageBox.h"
#include "MovieReader.h"
#include "PictureView.h"
#include "Screen.h"
#include "TitlePicture.h"
#include "ekSegments.h"

TekLensaPlayer::TekLensaPlayer(int64_t frameBufferSize) {
  setWindowTitle(QStringLiteral("ekPlayer v1.4"));
  setMinimumSize(500, 300);
  setGeometry(374, 127, 761, 649);
  spDisplay = new TPictureView(*this);
  setCentralWidget(spDisplay);
  CreateActions();
  CreateControlPanel();
  CreateLoadingNotice();
  Timer.setInterval(100);
  connect(&Timer, &QTimer::timeout, this, [this] { Guarded([this] { TimerTimer(); }); });
  ActiveFormCreate(frameBufferSize);
}

TekLensaPlayer::~TekLensaPlayer() { ActiveFormDestroy(); }

void TekLensaPlayer::AttachWindows(TfrmSegments* segments, TfrmAbout* about, TfrmDisplay* display) {
  frmSegments = segments;
  frmAbout = about;
  frmDisplay = display;
}

void TekLensaPlayer::ActiveFormCreate(int64_t frameBufferSize) {
  TempDir = platform::GetTempPath();
  TempMovieFile = TempDir + "MyFilm.~ekflm";
  HelpFilePath = platform::ProgramFolder() + "ekPlayer.chm";
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
}

void TekLensaPlayer::ReadSegmentTable(platform::TStream* stream) {
  if (!stream) return;
  const std::vector<SegmentTableEntry> entries = ReadSegmentEntries(*stream);
  if (entries.empty() || !frmSegments) return;
  frmSegments->SetRowCount(static_cast<int>(entries.size()) + 1);
  for (size_t i = 0; i < entries.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    frmSegments->SetCell(0, row, QString::number(row));
    frmSegments->SetCell(1, row, QString::fromStdString(entries[i].Name.Utf8()));
    frmSegments->SetCell(2, row, QString::fromStdString(DurationText(entries[i].FrameCount, entries[i].FrameRate)));
  }
}

void TekLensaPlayer::LoadSegmentFromStream(platform::TStream* stream) {
  if (!stream) return;
  ReadSegmentBlock(*stream, SegmentList, static_cast<int>(SegmentList.size()) + 1);
}

void TekLensaPlayer::SetFileName(const std::string& path) {
  pnlPath->setText(QString::fromStdString(platform::FileNameText(platform::ExtractFileName(path))));
  FileName = path;
  Loaded = false;
}

void TekLensaPlayer::ApplicationEvents1Exception(const std::string& message) {
  EnableTimer(false);
  platform::MessageBox(message, "Error", platform::MessageIcon::Error);
  AStopExecute();
}

void TekLensaPlayer::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ApplicationEvents1Exception(e.what());
  }
}

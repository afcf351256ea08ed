#include "ekLensaPlayerImpl1.h"

#include <QLabel>
#include <QHBoxLayout>
#include <QStatusBar>

#include <new>

#include "Files.h"
#include "MessageBox.h"
#include "MovieReader.h"
#include "DurationText.h"
#include "Screen.h"
#include "ekSegments.h"

TekLensaPlayer::TekLensaPlayer(int64_t frameBufferSize) {
  setWindowTitle(QStringLiteral("ekPlayer v1.4"));
  setMinimumSize(500, 300);
  setGeometry(374, 127, 761, 649);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(128, 128, 128));
  setPalette(colours);
  setAutoFillBackground(true);
  CreateControlPanel();
  ActiveFormCreate(frameBufferSize);
}

TekLensaPlayer::~TekLensaPlayer() { ActiveFormDestroy(); }

void TekLensaPlayer::AttachWindows(TfrmSegments* segments, TfrmAbout* about, TfrmDisplay* display) {
  frmSegments = segments;
  frmAbout = about;
  frmDisplay = display;
}

void TekLensaPlayer::CreateControlPanel() {
  pnlControls = new QWidget(this);
  pnlControls->setFixedHeight(24);
  auto* layout = new QHBoxLayout(pnlControls);
  layout->setContentsMargins(368, 3, 2, 2);
  pnlPath = new QLabel(pnlControls);
  layout->addWidget(pnlPath);
  auto* bar = new QStatusBar(this);
  bar->setSizeGripEnabled(false);
  bar->addWidget(pnlControls, 1);
  setStatusBar(bar);
}

void TekLensaPlayer::ActiveFormCreate(int64_t frameBufferSize) {
  TempDir = platform::GetTempPath();
  TempMovieFile = TempDir + "MyFilm.~ekflm";
  HelpFilePath = platform::ProgramFolder() + "ekPlayer.chm";
  emptyCursorStream_ = std::make_unique<platform::TMemoryStream>();
  CursorStream = emptyCursorStream_.get();
  SegmentList.clear();
  LastResult = AllocFrameBuffer(frameBufferSize);
  if (LastResult != result::AllRight) {
    ShowResult("FormCreate", LastResult);
    creationFailed_ = true;
    return;
  }
  blankShape_ = std::make_unique<TekCursor>();
  CurrentShape = blankShape_.get();
  LogPalette = TLogPalette{};
  ColorTable.fill({});
  CursorWidth = platform::Screen().cursorWidth;
  CursorHeight = platform::Screen().cursorHeight;
  BackgroundBrush = gdi::kBlack;
  TargetCanvas = this;
  SetPanelVisible(true);
  Loaded = false;
}

void TekLensaPlayer::ActiveFormDestroy() {
  FreeSegments();
  LastResult = FreeFrameBuffer();
  CurrentShape = nullptr;
  blankShape_.reset();
  CursorStream = nullptr;
  emptyCursorStream_.reset();
}

TResult TekLensaPlayer::AllocFrameBuffer(int64_t size) {
  FrameBuffer.reset();
  frameBufferBytes_ = 0;
  if (size <= 0 || static_cast<uint64_t>(size) > SIZE_MAX / 2) return result::SegmentIsNil;
  FrameBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
  if (!FrameBuffer) return result::SegmentIsNil;
  frameBufferBytes_ = size;
  return result::AllRight;
}

TResult TekLensaPlayer::FreeFrameBuffer() {
  FrameBuffer.reset();
  frameBufferBytes_ = 0;
  return result::AllRight;
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
  if (pnlPath) pnlPath->setText(QString::fromStdString(platform::ExtractFileName(path)));
  FileName = path;
  Loaded = false;
}

TResult TekLensaPlayer::FreeSegments() {
  SegmentList.clear();
  CursorStream = emptyCursorStream_.get();
  CurrentShape = blankShape_.get();
  return result::AllRight;
}

void TekLensaPlayer::SetPanelVisible(bool visible) {
  if (statusBar()) statusBar()->setVisible(visible);
}

// Opening a movie: the open action, extraction through the temporary
// folder, reading, and the messages of every failure.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include <algorithm>
#include <climits>

#include "CabSTComps.h"
#include "Files.h"
#include "MessageBox.h"
#include "Messages.h"
#include "MovieBytes.h"
#include "MovieExtraction.h"
#include "MovieFiles.h"
#include "MovieReader.h"
#include "MovieRescue.h"
#include "OpenDialog.h"
#include "PaintBeforeLongJob.h"
#include "PictureView.h"
#include "ReadAheadStream.h"
#include "ShowRestored.h"
#include "WaitPointer.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"

void TekLensaPlayer::CreateLoadingNotice() {
  QFont font(QStringLiteral("Times New Roman"));
  font.setPixelSize(16);
  font.setBold(true);
  for (QLabel** label : {&lblLoading_Shadow, &lblLoading}) {
    *label = new QLabel(QStringLiteral("Загрузка фильма ..."), spDisplay);
    (*label)->setFont(font);
    (*label)->setAttribute(Qt::WA_TranslucentBackground);
    (*label)->adjustSize();
    (*label)->hide();
  }
  lblLoading_Shadow->setStyleSheet(QStringLiteral("color: white"));
  lblLoading->setStyleSheet(QStringLiteral("color: black"));
  lblLoading_Shadow->move(9, 9);
  lblLoading->move(8, 8);
  OpenDialog = [this](const std::string& folder) { return AskForMovie(this, folder); };
}

void TekLensaPlayer::ShowLoadingNotice(bool visible) {
  QWidget* parent = IsOwnWindowMode() && frmDisplay ? static_cast<QWidget*>(frmDisplay) : spDisplay;
  if (visible) {
    lblLoading_Shadow->setParent(parent);
    lblLoading->setParent(parent);
    lblLoading_Shadow->move(9, 9);
    lblLoading->move(8, 8);
    lblLoading_Shadow->show();
    lblLoading_Shadow->raise();
    lblLoading->show();
    lblLoading->raise();
    // The main window too: the open dialog that just closed may still cover it.
    PaintBeforeLongJob(*this);
    if (parent->window() != this) PaintBeforeLongJob(*parent->window());
  } else {
    lblLoading->hide();
    lblLoading_Shadow->hide();
  }
}

void TekLensaPlayer::ALoadFromFileExecute() {
  if (const std::optional<std::string> chosen = OpenDialog(OpenDialogFolder())) {
    RememberOpenDialogFolder(*chosen);
    SetFileName(*chosen);
    ResetMovie();
  }
  OpenNamedMovie();
}

void TekLensaPlayer::OpenDroppedFile(const std::string& path) {
  // As desktop players do: what plays stops, and the dropped movie opens as if chosen.
  AStopExecute();
  RememberOpenDialogFolder(path);
  SetFileName(path);
  ResetMovie();
  OpenNamedMovie();
}

void TekLensaPlayer::OpenNamedMovie() {
  WaitPointer pointer;
  if (FileName.empty() || !platform::FileExists(FileName)) return;
  if (IsOwnWindowMode() && frmDisplay) { ShowRestored(*frmDisplay); }
  if (!Loaded) OpenMovie(FileName);
}

bool TekLensaPlayer::OpenMovie(const std::string& path) {
  if (!platform::FileExists(path)) return false;
  ShowLoadingNotice(true);
  struct HideNotice {
    TekLensaPlayer& player;
    ~HideNotice() { player.ShowLoadingNotice(false); }
  } hide{*this};
  ResetMovie();
  // A movie refused part way leaves nothing to play: the segments read before
  // the damage are released and the bar stands at the start.
  struct ForgetUnlessRead {
    TekLensaPlayer& player;
    bool read = false;
    ~ForgetUnlessRead() {
      if (read) return;
      player.ResetMovie();
      player.pbrProgress->setValue(0);
    }
  } forget{*this};
  forget.read = Salvage ? SalvageMovieFile(path)
                        : ExtractMovieFile(path, [this](platform::TStream& movie) { LoadMovieFile(movie); });
  StartTextReading();
  return forget.read;
}

bool TekLensaPlayer::SalvageMovieFile(const std::string& path) {
  TSalvagedMovie salvaged = ::SalvageMovieFile(path, kSalvagedMovieBytes);
  const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
  if (rescue.FramesKept() == 0) {
    platform::MessageBox("Из фильма не удалось восстановить ни одного кадра" +
                             (salvaged.failure.empty() ? std::string() : ": " + salvaged.failure),
                         "Error", platform::MessageIcon::Error);
    return false;
  }
  platform::TBorrowedMemoryStream movie(rescue.Movie.data(), static_cast<int64_t>(rescue.Movie.size()));
  LoadMovieFile(movie);
  Repaired = rescue.Damaged();
  pnlPath->setText(FileNameCaption());
  return true;
}

void TekLensaPlayer::LoadMovieFile(platform::TStream& file) {
  platform::TReadAheadStream movie(file);
  const int32_t count = static_cast<int32_t>(ReadSegmentEntries(movie).size());
  ReadSegmentTable(&movie);
  for (int32_t i = 0; i < count; ++i) LoadSegmentFromStream(&movie);
  Loaded = true;
  if (!SegmentList.empty()) CurSegment = 0;
  // The bar counts in int: a movie of more frames fills it at that many.
  pbrProgress->setMaximum(static_cast<int>(std::min<int64_t>(TotalFrames(), INT_MAX)));
}

bool TekLensaPlayer::ExtractMovieFile(const std::string& path, const std::function<void(platform::TStream&)>& read) {
  // Cleaners of the temporary folder may have taken the private folder away
  // since the start: made again, and checked, as at the start.
  if (!platform::PathExists(TempDir)) {
    TempDir = platform::GetTempPath();
    TempMovieFile = TempDir + kMovieFileName;
  }
  TMovieExtraction extraction(TempDir, TempMovieFile);
  extraction.PackageRetry = PackageRetry;
  extraction.TempFolderWait = TempFolderWait;
  switch (extraction.ExtractAndRead(path, *STCabReader, CabinetFile, read)) {
    case TExtractResult::Extracted: return true;
    case TExtractResult::TempMovieFileBusy: {
      const std::string text = lbMessages[1];
      const size_t at = text.find("%s");
      platform::MessageBox(text.substr(0, at) + TempMovieFile + text.substr(at + 2));
      return false;
    }
    case TExtractResult::TempCabinetNotCreated: platform::MessageBox(lbMessages[2]); return false;
    case TExtractResult::TempCabinetNotWritten:
      platform::MessageBox(TempCabinetNotWrittenText(extraction.WriteError));
      return false;
    case TExtractResult::UnsupportedFormat: platform::MessageBox(lbMessages[3]); return false;
    case TExtractResult::MovieFileNotOpened: return false;
  }
  return false;
}

TResult TekLensaPlayer::ResetMovie() {
  const TResult freed = FreeSegments();
  if (freed != result::AllRight) return freed;
  ResetFrames();
  CurSegment = -1;
  Repaired = false;
  return result::AllRight;
}

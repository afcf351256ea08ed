// The main window's side of the segments dialog: opening and filling it, and
// what choosing a segment does to playback.
#include <QAction>

#include "Files.h"
#include "HelpBinding.h"
#include "ShowRestored.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

void TekLensaPlayer::ASegmentsExecute() {
  if (!frmSegments) return;
  if (frmSegments->isVisible()) {
    frmSegments->close();
    return;
  }
  FillSegmentsGrid();
  // With nothing listed the dialog stays hidden.
  if (!frmSegments->Cell(0, 1).isEmpty()) ShowRestored(*frmSegments);
}

void TekLensaPlayer::FillSegmentsGrid() {
  if (!SegmentList.empty()) {
    frmSegments->SetRowCount(static_cast<int>(SegmentList.size()) + 1);
    for (size_t i = 0; i < SegmentList.size(); ++i) {
      const SegInfo& segment = *SegmentList[i];
      ListSegment(static_cast<int>(i) + 1, segment.Name, segment.FrameCount, segment.FrameRate);
    }
    return;
  }
  // A movie named but not loaded is listed from its file.
  if (FileName.empty() || !platform::FileExists(FileName)) return;
  (void)ExtractMovieFile(FileName, [this](platform::TStream& movie) {
    frmSegments->SetRowCount(2);
    for (int column = 0; column < 3; ++column) frmSegments->SetCell(column, 1, QString());
    ReadSegmentTable(&movie);
  });
}

void TekLensaPlayer::SegmentChosen(int row) {
  if (SegmentList.empty() || row < 1 || row > static_cast<int>(SegmentList.size())) return;
  const int32_t chosen = row - 1;
  switch (PlayState) {
    case playstate::Stopped: CurSegment = chosen; break;
    case playstate::Playing:
      // Stopping goes back to the first segment: the choice is made after it.
      AStop->trigger();
      CurSegment = chosen;
      APlay->trigger();
      break;
    case playstate::Paused:
      if (chosen == CurSegment) break;
      AStop->trigger();
      CurSegment = chosen;
      break;
    default: break;
  }
}

void TekLensaPlayer::ShowSegmentsHelp(QWidget* owner) {
  ShowHelp(owner, HelpFilePath + "::/ekPlayer_v1_2.htm#Segments");
}

// Stopped, playing and paused, and the controls each state allows.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "PictureView.h"
#include "ShowRestored.h"
#include "WaitPointer.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"

void TekLensaPlayer::SetPlayState(uint8_t state) {
  UpdateButtonGlyphs();
  ALoadFromFile->setEnabled(false);
  switch (state) {
    case playstate::Stopped:
      EnableTimer(false);
      CurSegment = 0;
      SetSpeedStep(0);
      PictureFrames = {};
      APlay->setEnabled(true);
      btnPlay->setEnabled(true);
      btnLoadFromFile->setEnabled(true);
      SetButtonTransparentColor(btnStop, Qt::black);
      pnlPath->setText(FileNameCaption());
      ALoadFromFile->setEnabled(true);
      break;
    case playstate::Playing:
      APause->setEnabled(true);
      btnLoadFromFile->setEnabled(false);
      SetButtonTransparentColor(btnPlay, Qt::black);
      break;
    case playstate::Paused:
      if (PlayState == playstate::Playing) SetButtonTransparentColor(btnPause, Qt::black);
      if (PlayState == playstate::Paused) {
        SetPlayState(playstate::Playing);
        state = playstate::Playing;
      }
      if (PlayState != playstate::Stopped) EnableTimer(!Timer.isActive());
      break;
    default: break;
  }
  PlayState = state;
  repaint();
}

void TekLensaPlayer::APlayExecute() {
  if (PlayState == playstate::Paused) {
    // The frames go on into the display window: it is shown again to be seen.
    if (IsOwnWindowMode() && frmDisplay) { ShowRestored(*frmDisplay); }
    APauseExecute();
    return;
  }
  WaitPointer pointer;
  if (IsOwnWindowMode() && frmDisplay) { ShowRestored(*frmDisplay); }
  if (SegmentList.empty() || PlayState != playstate::Stopped) return;
  SetPlayState(playstate::Playing);
  const TResult code = SetCurSegment();
  if (code != result::AllRight) {
    ShowResult("APlay_PauseExecute", code);
    return;
  }
  pointer.Restore();
  EnableTimer(true);
}

void TekLensaPlayer::APauseExecute() {
  if (PlayState == playstate::Playing || PlayState == playstate::Paused) SetPlayState(playstate::Paused);
}

void TekLensaPlayer::AStopExecute() {
  SetPlayState(playstate::Stopped);
  if (IsOwnWindowMode() && frmDisplay) frmDisplay->hide();
  pbrProgress->setValue(0);
  spDisplay->ClearPicture();
  if (displayView_) displayView_->ClearPicture();
}

void TekLensaPlayer::EnableTimer(bool on) {
  if (on && !ending_) {
    Timer.start();
  } else {
    Timer.stop();
  }
}

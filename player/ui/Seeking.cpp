// Going to any frame, stepping frame by frame and segment by segment, and the
// playing speed: commands of their own keys that leave every other command as
// it was. The frame index beneath puts any frame's picture in place at once.
#include <QAction>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

#include "ShowRestored.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"

void TekLensaPlayer::CreateNavigationActions() {
  struct Spec {
    QAction** action;
    QList<QKeySequence> keys;
    void (TekLensaPlayer::*handler)();
  };
  const Spec specs[] = {
      {&AStepBack, {QKeySequence(Qt::Key_Left)}, &TekLensaPlayer::AStepBackExecute},
      {&AStepForward, {QKeySequence(Qt::Key_Right)}, &TekLensaPlayer::AStepForwardExecute},
      {&APreviousSegment, {QKeySequence(Qt::Key_PageUp)}, &TekLensaPlayer::APreviousSegmentExecute},
      {&ANextSegment, {QKeySequence(Qt::Key_PageDown)}, &TekLensaPlayer::ANextSegmentExecute},
      {&AFirstFrame, {QKeySequence(Qt::Key_Home)}, &TekLensaPlayer::AFirstFrameExecute},
      {&AFaster,
       {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::KeypadModifier | Qt::Key_Plus)},
       &TekLensaPlayer::AFasterExecute},
      {&ASlower,
       {QKeySequence(Qt::Key_Minus), QKeySequence(Qt::KeypadModifier | Qt::Key_Minus)},
       &TekLensaPlayer::ASlowerExecute},
      {&APlayPause, {QKeySequence(Qt::Key_Space)}, &TekLensaPlayer::APlayPauseExecute},
      {&AFind, {QKeySequence(Qt::CTRL | Qt::Key_F)}, &TekLensaPlayer::AFindExecute},
      {&AFindNext, {QKeySequence(Qt::Key_F3)}, &TekLensaPlayer::AFindNextExecute},
  };
  for (const Spec& spec : specs) {
    auto* action = new QAction(this);
    action->setShortcuts(spec.keys);
    const auto handler = spec.handler;
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    addAction(action);
    NavigationActions.push_back(action);
    *spec.action = action;
  }
  // The display window's alone: attached with its other actions.
  ALeaveFullScreen = new QAction(this);
  ALeaveFullScreen->setShortcut(QKeySequence(Qt::Key_Escape));
  connect(ALeaveFullScreen, &QAction::triggered, this, [this] { Guarded([this] { ALeaveFullScreenExecute(); }); });
}

void TekLensaPlayer::GoToFrame(int64_t frame) {
  int32_t segment = 0, frameInSegment = 0;
  if (!Loaded || !LocateFrame(frame, segment, frameInSegment)) return;
  if (PlayState == playstate::Stopped) {
    if (IsOwnWindowMode() && frmDisplay) { ShowRestored(*frmDisplay); }
    // Into a pause as the pause button makes one: through playing, timer on then off.
    SetPlayState(playstate::Playing);
    EnableTimer(true);
    SetPlayState(playstate::Paused);
  }
  const TResult sought = SeekFrame(segment, frameInSegment);
  if (Ending()) return;
  if (sought != result::AllRight) {
    AStopExecute();
    ShowResult("SeekFrame", sought);
    return;
  }
  PresentPicture();
  PictureFrames.Composed(frame, TPictureFrames::ShownFrame);
  pbrProgress->setValue(static_cast<int>(frame + 1));
  ShowSegmentCaption();
}

void TekLensaPlayer::AStepBackExecute() {
  if (PlayState == playstate::Paused && PictureFrames.Shown() > 0) GoToFrame(PictureFrames.Shown() - 1);
}

void TekLensaPlayer::AStepForwardExecute() {
  if (PlayState == playstate::Paused && PictureFrames.Shown() >= 0 && PictureFrames.Shown() + 1 < TotalFrames())
    GoToFrame(PictureFrames.Shown() + 1);
}

void TekLensaPlayer::APreviousSegmentExecute() {
  int32_t segment = 0, frame = 0;
  if (PictureFrames.Shown() < 0 || !LocateFrame(PictureFrames.Shown(), segment, frame)) segment = 0;
  // Inside a segment its own start comes first; from its start, the one before.
  GoToFrame(FramesBefore(frame > 0 ? segment : std::max(segment - 1, 0)));
}

void TekLensaPlayer::ANextSegmentExecute() {
  int32_t segment = 0, frame = 0;
  if (PictureFrames.Shown() < 0 || !LocateFrame(PictureFrames.Shown(), segment, frame)) segment = 0;
  // Segments without frames are passed over; after the last there is nowhere to go.
  for (int32_t next = segment + 1; next < static_cast<int32_t>(SegmentList.size()); ++next) {
    if (SegmentList[static_cast<size_t>(next)]->FrameCount > 0) {
      GoToFrame(FramesBefore(next));
      return;
    }
  }
}

void TekLensaPlayer::AFirstFrameExecute() { GoToFrame(0); }

void TekLensaPlayer::APlayPauseExecute() {
  QAction* action = PlayState == playstate::Playing ? APause : APlay;
  if (action->isEnabled()) action->trigger();
}

void TekLensaPlayer::ALeaveFullScreenExecute() {
  if (IsOwnWindowMode() && frmDisplay && !frmDisplay->HasDialogBorder()) ASetOwnWindowExecute();
}

void TekLensaPlayer::AFasterExecute() {
  if (PlayState != playstate::Stopped) SetSpeedStep(SpeedStep + 1);
}

void TekLensaPlayer::ASlowerExecute() {
  if (PlayState != playstate::Stopped) SetSpeedStep(SpeedStep - 1);
}

void TekLensaPlayer::SetSpeedStep(int step) {
  step = std::clamp(step, -2, 2);
  if (step == SpeedStep) return;
  SpeedStep = step;
  if (const SegInfo* segment = ActiveSegment()) Timer.setInterval(FrameInterval(*segment));
  if (PlayState != playstate::Stopped) ShowSegmentCaption();
}

int TekLensaPlayer::FrameInterval(const SegInfo& segment) const {
  const int interval = segment.FrameRate == 0 ? 100 : 1000 / segment.FrameRate;
  return SpeedStep >= 0 ? interval >> SpeedStep : interval << -SpeedStep;
}

QString TekLensaPlayer::SegmentCaption() const {
  const SegInfo* segment = ActiveSegment();
  QString caption = segment ? QString::fromStdString(segment->Name.Utf8()) : QString();
  if (SpeedStep > 0) caption += QStringLiteral("  ×%1").arg(1 << SpeedStep);
  if (SpeedStep < 0) caption += QStringLiteral("  ×1/%1").arg(1 << -SpeedStep);
  return caption;
}

void TekLensaPlayer::ShowSegmentCaption() {
  pnlPath->setText(SegmentCaption());
  if (frmDisplay) frmDisplay->setWindowTitle(FileNameCaption() + QStringLiteral(":  ") + pnlPath->text());
}

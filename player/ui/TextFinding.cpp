// The text on the pictures in the main window: the movie's text read in the
// background, the find window, going to a found line, and copying the text
// of a part of a paused picture.
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>

#include "Exception.h"
#include "MovieKey.h"
#include "PictureView.h"
#include "TextCacheFolder.h"
#include "TextIndexing.h"
#include "TextRecognizer.h"
#include "WaitPointer.h"
#include "ekFind.h"
#include "ekLensaPlayerImpl1.h"

void TekLensaPlayer::StartTextReading() {
  TextKey.clear();
  if (frmFind) frmFind->SetMovie({}, {});
  // A salvaged movie is not the file's: its text is not the file's either.
  if (!Loaded || Salvage) {
    TextIndexing->Stop();
    return;
  }
  TextIndexing->Start(FileName);
  // An open find window turns to the new movie at once.
  if (frmFind && frmFind->isVisible()) FindMovieText();
}

void TekLensaPlayer::FindMovieText() {
  WaitPointer pointer;
  try {
    TextFolder = TextCacheFolder();
    TextKey = TMovieKeys(TextFolder).KeyOf(FileName);
    frmFind->SetMovie(TextFolder, TextKey);
    if (!TextIndexing->Failure().isEmpty()) frmFind->SetReadingFailure(TextIndexing->Failure());
  } catch (const platform::Exception& e) {
    frmFind->SetMovie({}, {});
    frmFind->SetReadingFailure(QString::fromStdString(e.what()));
  }
}

void TekLensaPlayer::AFindExecute() {
  if (!frmFind) {
    frmFind = new TfrmFind(this);
    frmFind->OnChoose = [this](const TTextLine& line) { Guarded([this, &line] { ShowTextLine(line); }); };
    connect(TextIndexing.get(), &TTextIndexing::Finished, frmFind, [this] {
      if (!TextIndexing->Failure().isEmpty()) frmFind->SetReadingFailure(TextIndexing->Failure());
      frmFind->Refresh();
    });
  }
  if (Loaded && !Salvage && TextKey.empty()) FindMovieText();
  frmFind->show();
  frmFind->raise();
  frmFind->activateWindow();
}

void TekLensaPlayer::AFindNextExecute() {
  if (!frmFind || !frmFind->ChooseNext()) AFindExecute();
}

void TekLensaPlayer::ShowTextLine(const TTextLine& line) {
  if (line.segment < 0 || static_cast<size_t>(line.segment) >= SegmentList.size()) return;
  GoToFrame(FramesBefore(line.segment) + line.firstFrame);
  if (PlayState == playstate::Playing) APauseExecute();
  if (auto* view = qobject_cast<TPictureView*>(TargetCanvas))
    view->Outline(QRect(line.box.x, line.box.y, line.box.width, line.box.height), 2500);
}

void TekLensaPlayer::CopyPictureText(const QRect& pixels) {
  const QImage& picture = PresentedPicture();
  const QRect area = pixels & picture.rect();
  if (area.isEmpty()) return;
  WaitPointer pointer;
  if (!recognizer_) {
    try {
      recognizer_ = std::make_unique<TTextRecognizer>();
    } catch (const platform::Exception& e) {
      QMessageBox::warning(this, QStringLiteral("Копирование текста"), QString::fromStdString(e.what()));
      return;
    }
  }
  const QImage grey = picture.copy(area).convertToFormat(QImage::Format_Grayscale8);
  const TGrayPicture source{grey.constBits(), grey.width(), grey.height(), static_cast<int>(grey.bytesPerLine())};
  QStringList lines;
  for (const TReadLine& line : recognizer_->Read(source, {0, 0, grey.width(), grey.height()}))
    lines.push_back(QString::fromStdString(line.text));
  const QString text = lines.join(QLatin1Char('\n'));
  if (text.isEmpty()) return;
  // Both: the clipboard for Ctrl+V, the selection for the middle button.
  QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
  if (QGuiApplication::clipboard()->supportsSelection()) QGuiApplication::clipboard()->setText(text, QClipboard::Selection);
}

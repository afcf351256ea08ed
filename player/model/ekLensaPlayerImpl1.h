// The main window, which is also the movie model and the playback engine:
// it owns the loaded movie, the frame buffer, the pictures and the playback
// state. Its member functions are defined in the files of their subsystem.
#pragma once

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Gdi.h"
#include "Result.h"
#include "SegInfo.h"
#include "Streams.h"
#include "ekCursor.h"

class QLabel;
class QWidget;
class TfrmAbout;
class TfrmDisplay;
class TfrmSegments;

struct TLogPalette {
  uint16_t palVersion = 0x300;
  uint16_t palNumEntries = 256;
  std::array<gdi::RGBQuad, 256> palPalEntry{};
};

class TekLensaPlayer : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int64_t FrameBufferSize = 67108864;

  // frameBufferSize is the block that creation asks for; tests ask for one
  // that can't be had.
  explicit TekLensaPlayer(int64_t frameBufferSize = FrameBufferSize);
  ~TekLensaPlayer() override;

  // The three other windows, made after the main window.
  void AttachWindows(TfrmSegments* segments, TfrmAbout* about, TfrmDisplay* display);
  // Creation could not get its frame buffer; the program ends after the message.
  bool CreationFailed() const { return creationFailed_; }

  TResult AllocFrameBuffer(int64_t size);
  TResult FreeFrameBuffer();

  // Movie file reading.
  void ReadSegmentTable(platform::TStream* stream);
  void LoadSegmentFromStream(platform::TStream* stream);

  // Opening.
  void SetFileName(const std::string& path);
  const std::string& GetFileName() const { return FileName; }
  TResult FreeSegments();

  void SetPanelVisible(bool visible);

  // Fields shared by the subsystems.
  std::string FileName;
  std::string CabinetFile;
  std::string TempDir;
  std::string TempMovieFile;
  std::string HelpFilePath;
  bool Loaded = false;
  std::vector<std::unique_ptr<SegInfo>> SegmentList;
  int32_t CurSegment = 0;
  std::unique_ptr<uint8_t[]> FrameBuffer;
  const uint8_t* CurFrame = nullptr;
  int32_t FrameIndex = 0;
  platform::TStream* CursorStream = nullptr;
  TekCursor* CurrentShape = nullptr;
  uint8_t PlayState = 0;
  TResult LastResult = result::AllRight;
  bool OwnWindowMode = false;
  TLogPalette LogPalette;
  std::array<gdi::RGBQuad, 256> ColorTable{};
  int32_t CursorWidth = 0;
  int32_t CursorHeight = 0;
  gdi::Rgb BackgroundBrush = gdi::kBlack;
  QWidget* TargetCanvas = nullptr;

  TfrmSegments* frmSegments = nullptr;
  TfrmAbout* frmAbout = nullptr;
  TfrmDisplay* frmDisplay = nullptr;

  QWidget* pnlControls = nullptr;
  QLabel* pnlPath = nullptr;

 private:
  void ActiveFormCreate(int64_t frameBufferSize);
  void ActiveFormDestroy();
  void CreateControlPanel();

  int64_t frameBufferBytes_ = 0;
  bool creationFailed_ = false;
  // What CursorStream and CurrentShape return to when no segment is active.
  std::unique_ptr<platform::TMemoryStream> emptyCursorStream_;
  std::unique_ptr<TekCursor> blankShape_;
};

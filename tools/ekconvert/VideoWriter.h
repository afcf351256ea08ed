// Encodes RGB frames into a video file with libavcodec and libavformat: the
// container and codec follow the file's extension.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TChapter {
  double start = 0;  // seconds
  double end = 0;
  std::string title;  // UTF-8
};

class TVideoWriter {
 public:
  // Odd sizes are padded to even. Throws platform::Exception.
  TVideoWriter(const std::string& path, int width, int height, bool lossless, const std::vector<TChapter>& chapters);
  ~TVideoWriter();
  TVideoWriter(const TVideoWriter&) = delete;
  TVideoWriter& operator=(const TVideoWriter&) = delete;

  // A picture of at most the video's size, shown from `seconds` on for
  // `duration` seconds; the rest of the video's area is black.
  void WriteFrame(const std::vector<uint8_t>& rgb, int width, int height, double seconds, double duration);
  // Writes what the encoder still holds and the file's end.
  void Finish();

  // False for an extension no container is chosen for.
  static bool KnownExtension(const std::string& path);
  // Whether --lossless is possible for that extension.
  static bool LosslessExtension(const std::string& path);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

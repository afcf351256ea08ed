// Encodes RGB frames into a video file: the container and codec follow the
// file's extension. The encoding lives in a module that is loaded when the
// first video is opened, so that the other commands start without it.
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
  // Odd sizes are padded to even. Throws platform::Exception, also when the
  // video module can't be loaded.
  static std::unique_ptr<TVideoWriter> Open(const std::string& path, int width, int height, bool lossless,
                                            const std::vector<TChapter>& chapters);
  virtual ~TVideoWriter() = default;

  // A picture of at most the video's size, shown from `seconds` on for
  // `duration` seconds; the rest of the video's area is black.
  virtual void WriteFrame(const std::vector<uint8_t>& rgb, int width, int height, double seconds, double duration) = 0;
  // Writes what the encoder still holds and the file's end.
  virtual void Finish() = 0;

  // False for an extension no container is chosen for.
  static bool KnownExtension(const std::string& path);
  // Whether --lossless is possible for that extension.
  static bool LosslessExtension(const std::string& path);
};

// The module's one entry point.
extern "C" {
using TOpenVideo = TVideoWriter* (*)(const std::string& path, int width, int height, bool lossless,
                                     const std::vector<TChapter>& chapters);
}

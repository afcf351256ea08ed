// ekconvert: movie info, frame export, video conversion and the text on the
// pictures, without a display.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ConvertArguments.h"
#include "DurationText.h"
#include "Exception.h"
#include "FramePoint.h"
#include "FrameRenderer.h"
#include "JsonText.h"
#include "MovieBytes.h"
#include "MovieCabinet.h"
#include "MovieRescue.h"
#include "MovieSource.h"
#include "PngWriter.h"
#include "RescueReport.h"
#include "TextCommands.h"
#include "Thumbnail.h"
#include "VideoWriter.h"

namespace {

constexpr const char* kUsage =
    "usage: ekconvert info FILE [--json] [--salvage]\n"
    "       ekconvert frames FILE OUTDIR [--segment N] [--from AT] [--to AT] [--no-cursor] [--salvage]\n"
    "       ekconvert video FILE [OUTPUT] [--segment N] [--from AT] [--to AT] [--no-cursor] [--lossless] [--salvage]\n"
    "       ekconvert frame FILE AT OUTPUT.png [--no-cursor] [--salvage]\n"
    "       ekconvert thumbnail FILE OUTPUT.png [--size N] [--salvage]\n"
    "       ekconvert rescue FILE OUTPUT.ekcab [--json]\n"
    "       ekconvert text FILE [--json]\n"
    "       ekconvert search QUERY PATH... [--json] [--jobs N]\n"
    "       ekconvert --help | --version\n"
    "AT is a frame of the whole movie counted from 1, or a time [[hh:]mm:]ss[.zzz]\n"
    "from the movie's start, each segment lasting its frames at its frame rate.\n";

// The desktop runs the thumbnailer on every file it shows. Its reading is
// capped, and this is the backstop whatever a file holds: memory beyond it
// is refused and the thumbnail fails. AddressSanitizer reserves its shadow
// memory in the same account, so its builds go without.
void LimitThumbnailMemory() {
#if !defined(__SANITIZE_ADDRESS__)
  constexpr rlim_t kLimit = rlim_t{768} << 20;
  rlimit data{};
  if (::getrlimit(RLIMIT_DATA, &data) == 0 && data.rlim_cur > kLimit) {
    data.rlim_cur = kLimit;
    (void)::setrlimit(RLIMIT_DATA, &data);
  }
#endif
}

void Info(TMoviePlayback& playback, const std::string& file, bool json) {
  int64_t total = 0;
  std::string segments;
  for (size_t i = 0; i < playback.SegmentList.size(); ++i) {
    const SegInfo& s = *playback.SegmentList[i];
    total += s.FrameCount;
    const std::string duration = DurationText(s.FrameCount, s.FrameRate);
    if (json) {
      segments += std::string(i ? ", " : "") + "{\"number\": " + std::to_string(i + 1) +
                  ", \"name\": " + JsonString(s.Name.Utf8()) + ", \"frames\": " + std::to_string(s.FrameCount) +
                  ", \"fps\": " + std::to_string(s.FrameRate) + ", \"duration\": " + JsonString(duration) +
                  ", \"width\": " + std::to_string(s.Width) + ", \"height\": " + std::to_string(s.Height) +
                  ", \"bpp\": " + std::to_string(s.BitsPerPixel) +
                  ", \"shapes\": " + std::to_string(s.CursorList->Count()) + "}";
    } else {
      std::printf("%zu\t%s\t%d frames\t%u fps\t%s\t%d x %d\t%u bpp\n", i + 1, s.Name.Utf8().c_str(), s.FrameCount,
                  s.FrameRate, duration.c_str(), s.Width, s.Height, s.BitsPerPixel);
    }
  }
  if (json)
    std::printf("{\"file\": %s, \"segments\": [%s], \"total_frames\": %lld}\n", JsonString(file).c_str(),
                segments.c_str(), static_cast<long long>(total));
}

// 0 when anything was kept, 1 when nothing could be.
int Rescue(const std::string& file, const std::string& output, bool json) {
  try {
    TSalvagedMovie salvaged = SalvageMovieFile(file, kSalvagedMovieBytes);
    if (salvaged.bytes.empty())
      throw platform::Exception(salvaged.failure.empty() ? "the file is empty" : salvaged.failure);
    const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
    if (rescue.FramesKept() == 0) {
      std::fputs(json ? RescueReportJson(rescue, file, "").c_str() : RescueReportText(rescue).c_str(), stdout);
      throw platform::Exception("no frame of the movie could be rescued" +
                                (salvaged.failure.empty() ? "" : ": " + salvaged.failure));
    }
    WriteMovieCabinet(output, rescue.Movie);
    std::fputs(json ? RescueReportJson(rescue, file, output).c_str() : RescueReportText(rescue).c_str(), stdout);
    if (!salvaged.failure.empty()) std::fprintf(stderr, "ekconvert: %s: %s\n", file.c_str(), salvaged.failure.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ekconvert: %s: %s\n", file.c_str(), e.what());
    return 1;
  }
  return 0;
}

class Progress {
 public:
  explicit Progress(int64_t total) : total_(total), shown_(::isatty(2) && total > 0) {}
  ~Progress() {
    if (shown_) std::fprintf(stderr, "\n");
  }
  void Step() {
    if (shown_ && (++done_ % 25 == 0 || done_ == total_))
      std::fprintf(stderr, "\rekconvert: %lld of %lld frames", static_cast<long long>(done_),
                   static_cast<long long>(total_));
  }

 private:
  int64_t total_, done_ = 0;
  bool shown_;
};

int64_t FramesToRender(const TMoviePlayback& playback, const TRenderOptions& options) {
  int64_t total = 0;
  for (const TSegmentTake& take : FramesTaken(playback, options)) total += take.count;
  return total;
}

// The frame at a point, for --from and --to and the frame command.
int64_t FrameAtOrFail(const TMoviePlayback& playback, const TFramePoint& point, const std::string& what) {
  const auto frame = FrameAt(playback, point);
  if (!frame)
    throw platform::Exception(what + " lies past the movie's end (" + std::to_string(playback.TotalFrames()) +
                              " frames)");
  return *frame;
}

void Frame(TMoviePlayback& playback, const std::string& at, const std::string& output, const TRenderOptions& options) {
  const int64_t frame = FrameAtOrFail(playback, *ParseFramePoint(at), at);
  int32_t segment = 0, frameInSegment = 0;
  playback.LocateFrame(frame, segment, frameInSegment);
  ComposeAt(playback, options, static_cast<size_t>(segment), frameInSegment);
  std::vector<uint8_t> rgb;
  ToRgb(playback, rgb);
  if (!WritePng(output, playback.PictureWidth, playback.PictureHeight, rgb, 1))
    throw platform::Exception("can't write " + output);
}

void Frames(TMoviePlayback& playback, const std::string& folder, const TRenderOptions& options) {
  std::filesystem::create_directories(folder);
  Progress progress(FramesToRender(playback, options));
  RenderFrames(playback, options, [&](const TRenderedFrame& f) {
    char name[32];
    std::snprintf(name, sizeof name, "/%03d-%06d.png", f.segment + 1, f.frame + 1);
    if (!WritePng(folder + name, f.width, f.height, *f.rgb, 1))
      throw platform::Exception("can't write " + folder + name);
    progress.Step();
  });
}

void Video(TMoviePlayback& playback, const std::string& output, const TRenderOptions& options, bool lossless) {
  int width = 0, height = 0;
  double start = 0;
  std::vector<TChapter> chapters;
  std::vector<double> segmentStart(playback.SegmentList.size(), 0);
  std::vector<int32_t> firstFrame(playback.SegmentList.size(), 0);
  const std::vector<TSegmentTake> takes = FramesTaken(playback, options);
  for (size_t i = 0; i < takes.size(); ++i) {
    const SegInfo& s = *playback.SegmentList[i];
    const int64_t taken = takes[i].count;
    if (taken == 0) continue;
    width = std::max(width, s.Width);
    height = std::max(height, s.Height);
    segmentStart[i] = start;
    firstFrame[i] = takes[i].first;
    const double length = static_cast<double>(taken) / ConversionRate(s);
    chapters.push_back({start, start + length, s.Name.Utf8()});
    start += length;
  }
  if (width <= 0 || height <= 0) throw platform::Exception("the movie has no frames to convert");
  const auto writer = TVideoWriter::Open(output, width, height, lossless, chapters);
  Progress progress(FramesToRender(playback, options));
  RenderFrames(playback, options, [&](const TRenderedFrame& f) {
    const double rate = ConversionRate(*playback.SegmentList[static_cast<size_t>(f.segment)]);
    const size_t s = static_cast<size_t>(f.segment);
    writer->WriteFrame(*f.rgb, f.width, f.height, segmentStart[s] + (f.frame - firstFrame[s]) / rate, 1.0 / rate);
    progress.Step();
  });
  writer->Finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::printf("%s", kUsage);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("ekconvert 1.4\n");
    return 0;
  }
  TConvertArguments a;
  try {
    a = ParseArguments(argc, argv);
  } catch (const TUsageError& e) {
    std::fprintf(stderr, "ekconvert: %s\n%s", e.message.c_str(), kUsage);
    return 2;
  }
  const std::string& file = a.positional[0];
  if (a.command == "thumbnail") {
    try {
      LimitThumbnailMemory();
      WriteThumbnail(file, a.positional[1], a.size, a.salvage);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "ekconvert: %s: %s\n", file.c_str(), e.what());
      return 1;
    }
    return 0;
  }
  if (a.command == "rescue") return Rescue(file, a.positional[1], a.json);
  if (a.command == "text") return PrintMovieText(file, a.json);
  if (a.command == "search")
    return SearchMovies(a.positional[0], {a.positional.begin() + 1, a.positional.end()}, a.json, a.jobs);
  try {
    TMovieSource source(file, a.salvage);
    if (!source.Repairs().empty()) std::fprintf(stderr, "ekconvert: %s: %s\n", file.c_str(), source.Repairs().c_str());
    TMoviePlayback& playback = source.Playback();
    TRenderOptions options;
    options.cursor = !a.noCursor;
    if (a.segment) {
      if (*a.segment > static_cast<int>(playback.SegmentList.size()))
        throw platform::Exception("there is no segment " + std::to_string(*a.segment));
      options.segment = *a.segment - 1;
    }
    if (a.from) options.first = FrameAtOrFail(playback, *a.from, "--from");
    if (a.to) options.last = FrameAt(playback, *a.to).value_or(INT64_MAX);
    if (options.first > options.last) throw platform::Exception("--from lies after --to");
    if (a.command == "info") Info(playback, file, a.json);
    if (a.command == "frames") Frames(playback, a.positional[1], options);
    if (a.command == "video") Video(playback, a.positional[1], options, a.lossless);
    if (a.command == "frame") Frame(playback, a.positional[1], a.positional[2], options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ekconvert: %s: %s\n", file.c_str(), e.what());
    return 1;
  }
  return 0;
}

// The video writer over libavcodec and libavformat, in a module of its own:
// only the video command loads these libraries and the many they bring.
#include "VideoWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "Exception.h"
#include "Files.h"

namespace {

struct Choice {
  const char* encoder;
  AVPixelFormat format;
};

Choice ChooseEncoder(const std::string& ext, bool lossless) {
  if (ext == ".gif") return {"gif", AV_PIX_FMT_RGB8};
  if (ext == ".webm") return {"libvpx-vp9", AV_PIX_FMT_YUV420P};
  if (lossless) return ext == ".mkv" ? Choice{"ffv1", AV_PIX_FMT_BGR0} : Choice{"libx264rgb", AV_PIX_FMT_BGR0};
  return {"libx264", AV_PIX_FMT_YUV420P};
}

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

void Check(int code, const std::string& what) {
  if (code < 0) throw platform::Exception(what + ": " + AvError(code));
}

}  // namespace

class TAvVideoWriter final : public TVideoWriter {
 public:
  TAvVideoWriter(const std::string& path, int width, int height, bool lossless, const std::vector<TChapter>& chapters);
  ~TAvVideoWriter() override;
  void WriteFrame(const std::vector<uint8_t>& rgb, int width, int height, double seconds, double duration) override;
  void Finish() override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

struct TAvVideoWriter::State {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  SwsContext* scale = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  std::vector<uint8_t> canvas;  // RGB of the padded size
  int64_t lastPts = -1;
  // How long each frame is shown, by its timestamp: containers need the last one's.
  std::map<int64_t, int64_t> durations;
  bool opened = false;
  bool finished = false;

  ~State() {
    sws_freeContext(scale);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    if (format) {
      if (opened) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  void Drain(AVFrame* input) {
    Check(avcodec_send_frame(codec, input), "encoding");
    for (;;) {
      const int got = avcodec_receive_packet(codec, packet);
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
      Check(got, "encoding");
      const auto shown = durations.find(packet->pts);
      if (shown != durations.end()) {
        packet->duration = shown->second;
        durations.erase(shown);
      }
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      Check(av_interleaved_write_frame(format, packet), "writing");
    }
  }
};

TAvVideoWriter::TAvVideoWriter(const std::string& path, int width, int height, bool lossless,
                               const std::vector<TChapter>& chapters)
    : state_(std::make_unique<State>()) {
  av_log_set_level(AV_LOG_ERROR);
  State& s = *state_;
  const std::string ext = platform::LowerFileExt(path);
  const Choice choice = ChooseEncoder(ext, lossless);
  const int w = (width + 1) / 2 * 2, h = (height + 1) / 2 * 2;
  Check(avformat_alloc_output_context2(&s.format, nullptr, nullptr, path.c_str()), "output format");
  const AVCodec* encoder = avcodec_find_encoder_by_name(choice.encoder);
  if (!encoder) throw platform::Exception(std::string("no encoder ") + choice.encoder);
  s.stream = avformat_new_stream(s.format, nullptr);
  s.codec = avcodec_alloc_context3(encoder);
  if (!s.stream || !s.codec) throw platform::Exception("out of memory");
  s.codec->width = w;
  s.codec->height = h;
  s.codec->pix_fmt = choice.format;
  // Segments have frame rates of their own: timestamps carry the timing.
  s.codec->time_base = ext == ".gif" ? AVRational{1, 100} : AVRational{1, 90000};
  s.codec->framerate = {30, 1};
  // Frames are written in order; reordering would only delay them.
  s.codec->max_b_frames = 0;
  if (std::strcmp(choice.encoder, "libx264") == 0 || std::strcmp(choice.encoder, "libx264rgb") == 0) {
    av_opt_set(s.codec->priv_data, "preset", "veryfast", 0);
    av_opt_set(s.codec->priv_data, lossless ? "qp" : "crf", lossless ? "0" : "20", 0);
  }
  if (std::strcmp(choice.encoder, "libvpx-vp9") == 0) {
    av_opt_set(s.codec->priv_data, "deadline", "realtime", 0);
    av_opt_set(s.codec->priv_data, "cpu-used", "8", 0);
    s.codec->bit_rate = 0;
    av_opt_set(s.codec->priv_data, "crf", "32", 0);
  }
  if (s.format->oformat->flags & AVFMT_GLOBALHEADER) s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  Check(avcodec_open2(s.codec, encoder, nullptr), std::string("opening ") + choice.encoder);
  Check(avcodec_parameters_from_context(s.stream->codecpar, s.codec), "stream parameters");
  s.stream->time_base = s.codec->time_base;
  for (size_t i = 0; i < chapters.size(); ++i) {
    auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
    if (!chapter) throw platform::Exception("out of memory");
    chapter->id = static_cast<int64_t>(i + 1);
    chapter->time_base = {1, 1000};
    chapter->start = std::llround(chapters[i].start * 1000);
    chapter->end = std::llround(chapters[i].end * 1000);
    av_dict_set(&chapter->metadata, "title", chapters[i].title.c_str(), 0);
    int count = static_cast<int>(s.format->nb_chapters);
    av_dynarray_add(&s.format->chapters, &count, chapter);
    s.format->nb_chapters = static_cast<unsigned>(count);
  }
  Check(avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE), "creating " + path);
  s.opened = true;
  Check(avformat_write_header(s.format, nullptr), "writing the header");
  s.frame = av_frame_alloc();
  s.packet = av_packet_alloc();
  if (!s.frame || !s.packet) throw platform::Exception("out of memory");
  s.frame->format = choice.format;
  s.frame->width = w;
  s.frame->height = h;
  Check(av_frame_get_buffer(s.frame, 0), "frame buffer");
  s.scale = sws_getContext(w, h, AV_PIX_FMT_RGB24, w, h, choice.format, SWS_POINT, nullptr, nullptr, nullptr);
  if (!s.scale) throw platform::Exception("no conversion to the encoder's pixel format");
  s.canvas.assign(static_cast<size_t>(w) * h * 3, 0);
}

TAvVideoWriter::~TAvVideoWriter() = default;

void TAvVideoWriter::WriteFrame(const std::vector<uint8_t>& rgb, int width, int height, double seconds,
                                double duration) {
  State& s = *state_;
  const int w = s.codec->width, h = s.codec->height;
  const bool exact = width == w && height == h;
  if (!exact) {
    std::fill(s.canvas.begin(), s.canvas.end(), 0);
    for (int y = 0; y < std::min(height, h); ++y)
      std::memcpy(s.canvas.data() + static_cast<size_t>(y) * w * 3, rgb.data() + static_cast<size_t>(y) * width * 3,
                  static_cast<size_t>(std::min(width, w)) * 3);
  }
  const uint8_t* source[1] = {exact ? rgb.data() : s.canvas.data()};
  const int strides[1] = {w * 3};
  Check(av_frame_make_writable(s.frame), "frame buffer");
  sws_scale(s.scale, source, strides, 0, h, s.frame->data, s.frame->linesize);
  int64_t pts = std::llround(seconds * s.codec->time_base.den / s.codec->time_base.num);
  // Frames closer than the time base can tell still follow each other.
  if (pts <= s.lastPts) pts = s.lastPts + 1;
  s.lastPts = pts;
  s.frame->pts = pts;
  s.durations[pts] = std::max<int64_t>(1, std::llround(duration * s.codec->time_base.den / s.codec->time_base.num));
  s.Drain(s.frame);
}

void TAvVideoWriter::Finish() {
  State& s = *state_;
  if (s.finished) return;
  s.finished = true;
  s.Drain(nullptr);
  Check(av_write_trailer(s.format), "writing the end of the file");
}

extern "C" __attribute__((visibility("default"))) TVideoWriter* ekconvert_OpenVideo(
    const std::string& path, int width, int height, bool lossless, const std::vector<TChapter>& chapters) {
  return new TAvVideoWriter(path, width, height, lossless, chapters);
}

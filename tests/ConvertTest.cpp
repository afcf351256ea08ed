// ekconvert as scripts use it: the real program on movies from the writer.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "CabinetFixtures.h"
#include "ConvertRun.h"
#include "Files.h"
#include "MovieBytes.h"
#include "MovieWriter.h"
#include "PlaybackFixtures.h"

namespace fs = std::filesystem;
namespace mw = moviewriter;
using namespace fixtures;

namespace {

struct Rgb {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
};

Rgb ReadPng(const std::string& path) {
  Rgb image;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
  EXPECT_EQ(png.format & PNG_FORMAT_FLAG_ALPHA, 0u) << path;
  png.format = PNG_FORMAT_RGB;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.pixels.resize(PNG_IMAGE_SIZE(png));
  png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr);
  return image;
}

// The expected picture of a frame as RGB, through the palette for 8 bits.
std::vector<uint8_t> ExpectedRgb(const mw::Segment& segment, int frame, std::array<uint32_t, 256>& palette,
                                 int paddedWidth = 0, int paddedHeight = 0) {
  const mw::PaletteChange& change = segment.frames[static_cast<size_t>(frame)].palette;
  for (size_t i = 0; i < change.colours.size(); ++i) palette[change.first + i] = change.colours[i];
  const mw::Picture picture = ExpectedPicture(segment, frame);
  const int w = std::max(paddedWidth, picture.width), h = std::max(paddedHeight, picture.height);
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3, 0);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t c = segment.bitsPerPixel == 8 ? palette[picture.at(x, y)] : picture.at(x, y);
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(c >> 16);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c);
    }
  return rgb;
}

mw::Segment Segment(const std::string& name, int width, int height, uint8_t depth, int frames, uint8_t rate) {
  mw::Segment s;
  s.name = name;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  s.frameRate = rate;
  s.shapes = {mw::ArrowShape()};
  if (depth != 8) s.shapes.push_back(mw::ColourArrowShape());
  const int positions[][2] = {{-3, 2}, {width - 2, 3}, {2, -4}, {3, height - 1}, {65492, 2}, {4, 4}};
  for (int f = 0; f < frames; ++f) {
    mw::Frame frame{Pattern(width, height, depth, f), {}, {}};
    frame.cursor = {static_cast<uint16_t>(f % s.shapes.size()), static_cast<uint16_t>(positions[f % 6][0] & 0xFFFF),
                    static_cast<uint16_t>(positions[f % 6][1] & 0xFFFF)};
    if (depth == 8 && f == 0) frame.palette = {250, {0x102030, 0x203040, 0x304050, 0x405060, 0x506070, 0xFFFFFF}};
    if (depth == 8 && f == 2) frame.palette = {1, {0xABCDEF, 0x123456, 0x777777}};
    s.frames.push_back(std::move(frame));
  }
  return s;
}

std::vector<mw::Segment> Movie() {
  std::vector<mw::Segment> movie{Segment("Первый", 13, 7, 32, 5, 5), Segment("Второй", 10, 9, 24, 4, 3),
                                 Segment("Палитра", 13, 5, 8, 4, 0)};
  movie[1].cursorRecords = 2;
  return movie;
}

std::string WriteBareMovie(const std::string& folder, const std::vector<mw::Segment>& movie) {
  const auto bytes = mw::WriteMovie(movie).bytes;
  WriteFile(folder + "MyFilm.~ekflm", std::string(bytes.begin(), bytes.end()));
  return folder + "MyFilm.~ekflm";
}

class Converter : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshFolder(std::string("convert-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    movie_ = Movie();
    // The converter's private folders go below a folder of this test's own.
    fs::create_directories(folder_ + "tmp");
    ::setenv("TMPDIR", (folder_ + "tmp").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (folder_ + "cache").c_str(), 1);
  }

  // Every wrapping of the same movie.
  std::vector<std::string> Wrappings() {
    const std::string bare = WriteBareMovie(folder_, movie_);
    MakeCabinet(folder_, folder_ + "movie.ekcab", {"MyFilm.~ekflm"}, true);
    const std::string cabinet = ReadFile(folder_ + "movie.ekcab");
    WriteFile(folder_ + "DEMO.EXE",
              "MZ stub" + cabinet +
                  std::string{static_cast<char>(cabinet.size()), static_cast<char>(cabinet.size() >> 8),
                              static_cast<char>(cabinet.size() >> 16), 0});
    const std::string set = MakeCabinetSet(folder_, "set", "MyFilm.~ekflm", ReadFile(bare), 1);
    return {bare, folder_ + "movie.ekcab", folder_ + "DEMO.EXE", set};
  }

  void ExpectFrames(const std::string& out, bool cursor) {
    for (size_t s = 0; s < movie_.size(); ++s) {
      std::array<uint32_t, 256> palette{};
      mw::Segment segment = movie_[s];
      if (!cursor) segment.shapes.clear();
      for (size_t f = 0; f < segment.frames.size(); ++f) {
        char name[64];
        std::snprintf(name, sizeof name, "%03zu-%06zu.png", s + 1, f + 1);
        const Rgb png = ReadPng(out + name);
        ASSERT_EQ(png.width, segment.width) << name;
        ASSERT_EQ(png.pixels, ExpectedRgb(segment, static_cast<int>(f), palette)) << out << name;
      }
    }
  }

  std::string folder_;
  std::vector<mw::Segment> movie_;
};

TEST_F(Converter, FramesOfEveryWrappingAreTheSourcePicturesWithTheirCursors) {
  WriteFile(folder_ + "junk.ekcab", "not a cabinet" + std::string(100, '.'));
  int n = 0;
  for (const std::string& file : Wrappings()) {
    const std::string out = folder_ + "frames" + std::to_string(n++) + "/";
    const ConvertRun run = Convert("frames '" + file + "' '" + out + "'");
    ASSERT_EQ(run.status, 0) << file << run.err;
    ExpectFrames(out, true);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 13);
  }
  const ConvertRun run = Convert("frames '" + folder_ + "MyFilm.~ekflm' '" + folder_ + "plain/' --no-cursor");
  ASSERT_EQ(run.status, 0) << run.err;
  ExpectFrames(folder_ + "plain/", false);
  // Each run's private folder is gone again.
  EXPECT_EQ(Convert("info '" + folder_ + "junk.ekcab'").status, 1);
  for (const auto& entry : fs::directory_iterator(platform::GetTempPath()))
    EXPECT_EQ(entry.path().filename().string().rfind("convert-", 0), std::string::npos) << entry.path();
}

TEST_F(Converter, InfoAsTextAndJson) {
  for (const std::string& file : Wrappings()) {
    const ConvertRun json = Convert("info '" + file + "' --json");
    ASSERT_EQ(json.status, 0) << json.err;
    WriteFile(folder_ + "info.json", json.out);
    const std::string check =
        "python3 -c \"import json,sys; d=json.load(open(sys.argv[1])); s=d['segments'];"
        "assert d['total_frames']==13 and len(s)==3;"
        "assert "
        "s[0]=={'number':1,'name':'Первый','frames':5,'fps':5,'duration':'00:00:01.000','width':13,'height':7,'bpp':32,"
        "'shapes':2};"
        "assert s[2]['duration']=='' and s[2]['bpp']==8 and s[1]['duration']=='00:00:01.333'\" '" +
        folder_ + "info.json'";
    EXPECT_EQ(std::system(check.c_str()), 0) << json.out;
  }
  const ConvertRun text = Convert("info '" + WriteBareMovie(folder_, movie_) + "'");
  EXPECT_EQ(text.out.substr(0, text.out.find('\n')), "1\tПервый\t5 frames\t5 fps\t00:00:01.000\t13 x 7\t32 bpp");
}

std::string Probe(const std::string& arguments) {
  std::FILE* pipe = ::popen(("ffprobe -v error " + arguments).c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

TEST_F(Converter, VideoHasEveryFrameChaptersAndEvenSize) {
  const std::string bare = WriteBareMovie(folder_, movie_);
  for (const char* ext : {".mp4", ".mkv", ".webm", ".gif"}) {
    const std::string out = folder_ + "movie" + ext;
    const ConvertRun run = Convert("video '" + bare + "' '" + out + "'");
    ASSERT_EQ(run.status, 0) << ext << run.err;
    EXPECT_EQ(Probe("-count_frames -select_streams v:0 -show_entries stream=nb_read_frames,width,height -of csv=p=0 '" +
                    out + "'"),
              "14,10,13\n")
        << ext;
    if (std::string(ext) == ".mp4" || std::string(ext) == ".mkv") {
      // Segments follow each other at their own rates: 5 at 5, 4 at 3, 4 at 10 frames a second.
      EXPECT_EQ(Probe("-show_entries chapter=start_time,end_time:chapter_tags=title -of csv=p=0 '" + out + "'"),
                "0.000000,1.000000,Первый\n1.000000,2.333000,Второй\n2.333000,2.733000,Палитра\n")
          << ext;
    }
  }
  // Without an output name the video goes beside the movie.
  ASSERT_EQ(Convert("video '" + bare + "' --segment 3").status, 0);
  EXPECT_EQ(Probe("-count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 '" + folder_ +
                  "MyFilm.mp4'"),
            "4\n");
  const ConvertRun one = Convert("video '" + bare + "' '" + folder_ + "one.mkv' --segment 2");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(Probe("-count_frames -show_entries stream=nb_read_frames -of csv=p=0 '" + folder_ + "one.mkv'"), "4\n");
}

TEST_F(Converter, LosslessDecodesBackToTheExactFrames) {
  const std::string bare = WriteBareMovie(folder_, movie_);
  for (const char* ext : {".mkv", ".mp4"}) {
    const std::string out = folder_ + "lossless" + ext;
    const ConvertRun run = Convert("video '" + bare + "' '" + out + "' --lossless");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string raw = folder_ + "raw.rgb";
    ASSERT_EQ(
        std::system(("ffmpeg -v error -y -i '" + out + "' -vsync passthrough -f rawvideo -pix_fmt rgb24 '" + raw + "'")
                        .c_str()),
        0);
    const std::string decoded = ReadFile(raw);
    std::string expected;
    for (const mw::Segment& segment : movie_) {
      std::array<uint32_t, 256> palette{};
      for (size_t f = 0; f < segment.frames.size(); ++f) {
        const auto rgb = ExpectedRgb(segment, static_cast<int>(f), palette, 14, 10);
        // Smaller segments sit at the top left of the padded picture.
        std::vector<uint8_t> padded(14 * 10 * 3, 0);
        const int w = segment.width, h = segment.height;
        for (int y = 0; y < h; ++y)
          std::copy(rgb.begin() + y * std::max(14, w) * 3, rgb.begin() + y * std::max(14, w) * 3 + w * 3,
                    padded.begin() + y * 14 * 3);
        expected.append(padded.begin(), padded.end());
      }
    }
    EXPECT_TRUE(decoded == expected) << ext << ": " << decoded.size() << " bytes decoded, " << expected.size()
                                     << " expected";
  }
}

// The expected RGB of frame `frame` of segment `s`, the palette built up from its first frame.
std::vector<uint8_t> ExpectedAt(const std::vector<mw::Segment>& movie, size_t s, int frame) {
  std::array<uint32_t, 256> palette{};
  for (int f = 0; f < frame; ++f) ExpectedRgb(movie[s], f, palette);
  return ExpectedRgb(movie[s], frame, palette);
}

TEST_F(Converter, FromAndToTakeFrameNumbersOrTimesAndFrameWritesTheMomentsPicture) {
  const std::string bare = WriteBareMovie(folder_, movie_);
  // Frames 4 to 9 of 13: the last two of the first segment and the whole second.
  const std::string byNumber = folder_ + "numbers/";
  ASSERT_EQ(Convert("frames '" + bare + "' '" + byNumber + "' --from 4 --to 9").status, 0);
  // Second 1.0 is the second segment's first frame; 2.5 s is 0.167 s into the
  // third segment, at 10 frames a second its second frame.
  const std::string byTime = folder_ + "times/";
  ASSERT_EQ(Convert("frames '" + bare + "' '" + byTime + "' --from 00:00:01.000 --to 2.5").status, 0);
  const std::pair<std::string, std::vector<std::pair<size_t, int>>> expected[] = {
      {byNumber, {{0, 3}, {0, 4}, {1, 0}, {1, 1}, {1, 2}, {1, 3}}},
      {byTime, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1}}}};
  for (const auto& [out, frames] : expected) {
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 6) << out;
    for (const auto& [s, f] : frames) {
      char name[64];
      std::snprintf(name, sizeof name, "%03zu-%06d.png", s + 1, f + 1);
      EXPECT_EQ(ReadPng(out + name).pixels, ExpectedAt(movie_, s, f)) << out << name;
    }
  }
  const std::string clip = folder_ + "clip.mkv";
  ASSERT_EQ(Convert("video '" + bare + "' '" + clip + "' --from 4 --to 9").status, 0);
  EXPECT_EQ(Probe("-count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 '" + clip + "'"),
            "6\n");
  EXPECT_EQ(Probe("-show_entries chapter=start_time,end_time:chapter_tags=title -of csv=p=0 '" + clip + "'"),
            "0.000000,0.400000,Первый\n0.400000,1.733000,Второй\n");

  // One picture, from a packaged movie: 1.4 s is the second segment's second
  // frame, with the cursor its short cursor stream left; frame 13 is the last.
  const std::string packaged = Wrappings()[2];
  const std::pair<std::string, std::pair<size_t, int>> moments[] = {
      {"00:00:01.400", {1, 1}}, {"13", {2, 3}}, {"0:02.7", {2, 3}}, {"1", {0, 0}}};
  for (const auto& [at, frame] : moments) {
    const std::string png = folder_ + "moment.png";
    const ConvertRun run = Convert("frame '" + packaged + "' " + at + " '" + png + "'");
    ASSERT_EQ(run.status, 0) << at << run.err;
    EXPECT_EQ(ReadPng(png).pixels, ExpectedAt(movie_, frame.first, frame.second)) << at;
  }
  for (const char* past : {"14", "00:00:02.733", "1:00"}) {
    const ConvertRun run = Convert("frame '" + bare + "' " + past + " '" + folder_ + "past.png'");
    EXPECT_EQ(run.status, 1) << past;
    EXPECT_NE(run.err.find("lies past the movie's end (13 frames)"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder_ + "past.png"));
  }
  EXPECT_EQ(Convert("frames '" + bare + "' out --from 9 --to 4").status, 1);
  for (const char* wrong : {"frames a out --from 0", "frames a out --to 1:75", "frame a 1:2:3:4 o.png",
                            "frame a 00:00:01.5000 o.png", "frame a 3 o.png --segment 1", "info a --from 1"})
    EXPECT_EQ(Convert(wrong).status, 2) << wrong;
}

TEST_F(Converter, ThumbnailIsTheFirstPictureWithContentScaledDownAndNoFileForADamagedMovie) {
  // Every wrapping, and a set whose movie runs on into its second cabinet;
  // at the picture's own width nothing is scaled.
  std::vector<std::string> files = Wrappings();
  files.push_back(MakeCabinetSet(folder_, "span", "MyFilm.~ekflm", ReadFile(folder_ + "MyFilm.~ekflm"), 2));
  for (const std::string& file : files) {
    const std::string png = folder_ + "thumbnail.png";
    fs::remove(png);
    const ConvertRun run = Convert("thumbnail '" + file + "' '" + png + "' --size 13");
    ASSERT_EQ(run.status, 0) << file << run.err;
    const Rgb thumbnail = ReadPng(png);
    EXPECT_EQ(thumbnail.width, 13);
    EXPECT_EQ(thumbnail.pixels, ExpectedAt(movie_, 0, 0)) << file;
  }
  const std::string bare = folder_ + "MyFilm.~ekflm";
  ASSERT_EQ(Convert("thumbnail '" + bare + "' '" + folder_ + "small.png' --size 8").status, 0);
  EXPECT_EQ(ReadPng(folder_ + "small.png").width, 8);
  EXPECT_EQ(ReadPng(folder_ + "small.png").height, 4);
  ASSERT_EQ(Convert("thumbnail '" + bare + "' '" + folder_ + "default.png'").status, 0);
  EXPECT_EQ(ReadPng(folder_ + "default.png").width, 13);  // never scaled up

  // Black frames and a black segment are passed over; at 8 bits the colours count.
  std::vector<mw::Segment> late{Segment("Чёрный", 6, 4, 32, 2, 5), Segment("Позже", 10, 9, 24, 3, 5)};
  for (auto& frame : late[0].frames) frame.picture = mw::Picture(6, 4, 0);
  late[1].frames[0].picture = mw::Picture(10, 9, 0);
  const std::vector<mw::Segment> indexed{Segment("Палитра", 13, 5, 8, 4, 0)};
  const std::pair<std::vector<mw::Segment>, std::pair<size_t, int>> cases[] = {{late, {1, 1}}, {indexed, {0, 0}}};
  for (const auto& [movie, frame] : cases) {
    const std::string file = WriteBareMovie(folder_, movie);
    ASSERT_EQ(Convert("thumbnail '" + file + "' '" + folder_ + "late.png' --size 100").status, 0);
    EXPECT_EQ(ReadPng(folder_ + "late.png").pixels, ExpectedAt(movie, frame.first, frame.second));
  }

  auto bytes = mw::WriteMovie(movie_).bytes;
  bytes.resize(300);  // inside the segment table
  WriteFile(folder_ + "cut.~ekflm", std::string(bytes.begin(), bytes.end()));
  WriteFile(folder_ + "junk.ekcab", "not a cabinet" + std::string(100, '.'));
  for (const char* damaged : {"cut.~ekflm", "junk.ekcab", "missing.ekcab"}) {
    const ConvertRun run = Convert(std::string("thumbnail '") + folder_ + damaged + "' '" + folder_ + "no.png'");
    EXPECT_EQ(run.status, 1) << damaged;
    EXPECT_EQ(run.err.rfind("ekconvert: ", 0), 0u) << run.err;
    EXPECT_FALSE(fs::exists(folder_ + "no.png")) << damaged;
  }
  EXPECT_EQ(Convert("thumbnail a.ekcab out.png --size 0").status, 2);
}

// A thumbnail stands for a movie the player plays: a file is a packaged
// movie by its name, for the thumbnailer as for the player and the converter.
TEST_F(Converter, ThumbnailTellsPackagedMoviesAsThePlayerDoes) {
  Wrappings();
  fs::copy_file(folder_ + "DEMO.EXE", folder_ + "renamed.ekcab");
  fs::copy_file(folder_ + "movie.ekcab", folder_ + "cabinet.exe");
  for (const char* file : {"renamed.ekcab", "cabinet.exe"}) {
    const std::string path = folder_ + file;
    EXPECT_EQ(Convert("info '" + path + "'").status, 1) << file;
    const ConvertRun run = Convert("thumbnail '" + path + "' '" + folder_ + "no.png'");
    EXPECT_EQ(run.status, 1) << file;
    EXPECT_FALSE(fs::exists(folder_ + "no.png")) << file;
  }
  const ConvertRun packaged = Convert("thumbnail '" + folder_ + "DEMO.EXE' '" + folder_ + "yes.png'");
  EXPECT_EQ(packaged.status, 0) << packaged.err;
}

// File managers run the thumbnailer on whatever was downloaded: it must end
// soon on anything, read no more than the cap and leave nothing on disk.
TEST_F(Converter, ThumbnailOfHostileFilesEndsAtOnceAndLeavesNothing) {
  const std::string fifo = folder_ + "waits.~ekflm";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/urandom", folder_ + "endless.~ekflm");
  fs::create_symlink("/dev/zero", folder_ + "endless.ekcab");
  // A program that is no packaged movie: its last four bytes say nothing true.
  WriteFile(folder_ + "program.exe", "MZ" + std::string(3 << 20, '\x90') + "\x10\x00\x00\x00");
  // A movie whose first segment is more frames than can ever be played, all
  // empty: a few hundred kilobytes of cabinet that unpack past the cap.
  {
    const mw::Movie movie = mw::WriteMovie({Segment("Пусто", 4, 4, 32, 0, 0), Segment("Потом", 13, 7, 32, 2, 1)});
    std::string bytes(movie.bytes.begin(), movie.bytes.end());
    const mw::Field& info = movie.Find(1, "segment information");
    const int32_t length = (int32_t{65} << 20) + 8;
    for (int b = 0; b < 4; ++b) bytes[info.offset + b] = static_cast<char>(length >> (8 * b));
    const size_t split = info.offset + info.size;
    bytes.insert(split, static_cast<size_t>(length), '\0');
    fs::create_directories(folder_ + "bomb");
    WriteFile(folder_ + "bomb/MyFilm.~ekflm", bytes);
    MakeCabinet(folder_ + "bomb/", folder_ + "bomb.ekcab", {"MyFilm.~ekflm"}, true);
    fs::remove_all(folder_ + "bomb");
  }
  const std::pair<const char*, const char*> cases[] = {
      {"waits.~ekflm", "is not a regular file"},
      {"endless.~ekflm", "is not a regular file"},
      {"endless.ekcab", "is not a regular file"},
      {"program.exe", "not a packaged movie: the trailer gives a cabinet of"},
      {"bomb.ekcab", "the movie's first picture lies beyond its first 67108864 bytes"}};
  for (const auto& [file, reason] : cases) {
    const auto start = std::chrono::steady_clock::now();
    const ConvertRun run = Convert(std::string("thumbnail '") + folder_ + file + "' '" + folder_ + "no.png'");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << file;
    EXPECT_EQ(run.status, 1) << file;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder_ + "no.png")) << file;
    EXPECT_TRUE(fs::is_empty(folder_ + "tmp")) << file;
  }
}

// Three million frames of a tenth of a second: the first segment's length
// in milliseconds no longer fits in an int.
TEST_F(Converter, MomentsAfterThreeMillionFramesAreFound) {
  const std::vector<mw::Segment> movie{Segment("Долгий", 4, 4, 32, 1, 0), Segment("Потом", 13, 7, 32, 2, 1)};
  const mw::Movie written = mw::WriteMovie(movie);
  std::string bytes(written.bytes.begin(), written.bytes.end());
  const auto put32 = [&bytes](size_t at, int32_t value) {
    for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<char>(value >> (8 * b));
  };
  constexpr int32_t kFrames = 3000000;
  const mw::Field& info = written.Find(1, "segment information");
  const mw::Field& frames = written.Find(1, "frame stream");
  put32(info.offset, kFrames * 8);   // frame stream: empty records of 8 bytes
  put32(info.offset + 17, kFrames);  // frame count
  bytes[info.offset + 21] = 10;      // frames a second
  std::string empty(static_cast<size_t>(kFrames) * 8, '\0');
  for (int32_t f = 0; f < kFrames; ++f) empty[static_cast<size_t>(f) * 8] = 8;
  bytes.replace(frames.offset, frames.size, empty);
  WriteFile(folder_ + "long.~ekflm", bytes);
  // 300,000 seconds, then the second segment's first frame.
  const ConvertRun run = Convert("frame '" + folder_ + "long.~ekflm' 83:20:00.1 '" + folder_ + "after.png'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadPng(folder_ + "after.png").pixels, ExpectedAt(movie, 1, 0));
}

TEST_F(Converter, DamagedMoviesAndWrongUsage) {
  auto bytes = mw::WriteMovie(movie_).bytes;
  bytes.resize(bytes.size() - 7);
  WriteFile(folder_ + "cut.~ekflm", std::string(bytes.begin(), bytes.end()));
  const ConvertRun cut = Convert("frames '" + folder_ + "cut.~ekflm' '" + folder_ + "out'");
  EXPECT_EQ(cut.status, 1);
  EXPECT_EQ(cut.err.rfind("ekconvert: ", 0), 0u);
  EXPECT_NE(cut.err.find("segment 3: palette stream"), std::string::npos) << cut.err;

  std::vector<mw::Segment> deep = movie_;
  deep[0].bitsPerPixel = 16;
  WriteBareMovie(folder_, deep);
  const ConvertRun depth = Convert("video '" + folder_ + "MyFilm.~ekflm' '" + folder_ + "d.mkv'");
  EXPECT_EQ(depth.status, 1);
  EXPECT_NE(depth.err.find("segment 1: unsupported colour depth of 16 bits per pixel"), std::string::npos) << depth.err;

  WriteFile(folder_ + "junk.ekcab", "not a cabinet" + std::string(100, '.'));
  const ConvertRun junk = Convert("info '" + folder_ + "junk.ekcab'");
  EXPECT_EQ(junk.status, 1);
  EXPECT_NE(junk.err.find("not a cabinet or packaged movie"), std::string::npos) << junk.err;

  // Each refusal says what was wrong. Only the movie file is taken out of a
  // cabinet, by its name, so a name that leaves the folder is never written.
  MakeLinkedCabinet(folder_ + "escape.ekcab", {{"../outside", "x"}});
  const ConvertRun escape = Convert("info '" + folder_ + "escape.ekcab'");
  EXPECT_EQ(escape.status, 1);
  EXPECT_NE(escape.err.find("the cabinet holds no MyFilm.~ekflm"), std::string::npos) << escape.err;
  EXPECT_FALSE(fs::exists(folder_ + "tmp/outside"));
  WriteFile(folder_ + "trailer.exe", std::string("MZ\x10\x27\0\0", 6));
  const ConvertRun trailer = Convert("info '" + folder_ + "trailer.exe'");
  EXPECT_EQ(trailer.status, 1);
  EXPECT_NE(trailer.err.find("not a packaged movie: the trailer gives a cabinet of 10000 bytes in a file of 6 bytes"),
            std::string::npos)
      << trailer.err;
  auto huge = mw::WriteMovie(movie_);
  for (int i = 0; i < 4; ++i) {
    huge.bytes[static_cast<size_t>(huge.Find(1, "segment information").offset + 8 + i)] = "\0\x80\0\0"[i];
    huge.bytes[static_cast<size_t>(huge.Find(1, "segment information").offset + 12 + i)] = "\0\x80\0\0"[i];
  }
  WriteFile(folder_ + "huge.~ekflm", std::string(huge.bytes.begin(), huge.bytes.end()));
  const ConvertRun hugeRun = Convert("frames '" + folder_ + "huge.~ekflm' '" + folder_ + "out'");
  EXPECT_EQ(hugeRun.status, 1);
  EXPECT_NE(hugeRun.err.find("picture of 32768 x 32768 pixels is larger than any screen"), std::string::npos)
      << hugeRun.err;
  EXPECT_EQ(Convert("info '" + folder_ + "missing.ekcab'").status, 1);
  EXPECT_EQ(Convert("").status, 2);
  EXPECT_EQ(Convert("video a.ekcab out.avi").status, 2);
  EXPECT_EQ(Convert("video a.ekcab out.gif --lossless").status, 2);
  EXPECT_EQ(Convert("frames a.ekcab out --segment 0").status, 2);
  EXPECT_EQ(Convert("--version").status, 0);
  // Failed or not, a conversion leaves nothing in the temporary folder.
  EXPECT_TRUE(fs::is_empty(folder_ + "tmp"));
}

TEST_F(Converter, RescueWritesWhatSurvivesAsACabinetAndSaysWhatWasLost) {
  Wrappings();
  const std::string movie = ReadFile(folder_ + "MyFilm.~ekflm");

  // A whole movie comes out as it went in.
  const ConvertRun whole = Convert("rescue '" + folder_ + "movie.ekcab' '" + folder_ + "whole.ekcab' --json");
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_NE(whole.out.find("\"damaged\": false"), std::string::npos) << whole.out;
  const auto again = OpenWholeMovie(folder_ + "whole.ekcab");
  std::string written(static_cast<size_t>(again->Size()), '\0');
  ASSERT_EQ(again->Read(written.data(), again->Size()), again->Size());
  EXPECT_TRUE(written == movie);

  // A movie cut short: the frames before the cut, in a movie that every
  // command opens without rescue.
  WriteFile(folder_ + "cut.~ekflm", movie.substr(0, movie.size() * 2 / 3));
  const ConvertRun cut = Convert("rescue '" + folder_ + "cut.~ekflm' '" + folder_ + "repaired.ekcab'");
  ASSERT_EQ(cut.status, 0) << cut.err;
  EXPECT_NE(cut.out.find("frames kept"), std::string::npos) << cut.out;
  EXPECT_NE(cut.out.find("segments lost"), std::string::npos) << cut.out;
  EXPECT_EQ(Convert("info '" + folder_ + "repaired.ekcab'").status, 0);
  const ConvertRun frames = Convert("frames '" + folder_ + "repaired.ekcab' '" + folder_ + "frames/'");
  EXPECT_EQ(frames.status, 0) << frames.err;
  EXPECT_GT(std::distance(fs::directory_iterator(folder_ + "frames/"), fs::directory_iterator()), 0);

  // Salvaged on the way, every command takes the damaged movie as rescue keeps it.
  EXPECT_EQ(Convert("frames '" + folder_ + "cut.~ekflm' '" + folder_ + "refused/'").status, 1);
  const ConvertRun salvaged =
      Convert("frames '" + folder_ + "cut.~ekflm' '" + folder_ + "salvaged/' --salvage --no-cursor");
  ASSERT_EQ(salvaged.status, 0) << salvaged.err;
  EXPECT_NE(salvaged.err.find("repaired: "), std::string::npos) << salvaged.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ + "salvaged/"), fs::directory_iterator()),
            std::distance(fs::directory_iterator(folder_ + "frames/"), fs::directory_iterator()));
  // With the first segment's picture size damaged, the movie gets a
  // thumbnail, of a later segment, only when salvaged.
  std::string headless = movie;
  const int64_t info = mw::WriteMovie(movie_).Find(1, "segment information").offset;
  for (int64_t b = info + 8; b < info + 16; ++b) headless[static_cast<size_t>(b)] = '\x7F';
  WriteFile(folder_ + "headless.~ekflm", headless);
  EXPECT_EQ(Convert("thumbnail '" + folder_ + "headless.~ekflm' '" + folder_ + "t1.png'").status, 1);
  const ConvertRun thumbnail = Convert("thumbnail '" + folder_ + "headless.~ekflm' '" + folder_ + "t2.png' --salvage");
  ASSERT_EQ(thumbnail.status, 0) << thumbnail.err;
  EXPECT_EQ(ReadPng(folder_ + "t2.png").width, movie_[1].width);
  const ConvertRun sound = Convert("info '" + folder_ + "movie.ekcab' --salvage");
  EXPECT_EQ(sound.status, 0);
  EXPECT_TRUE(sound.err.empty()) << sound.err;

  // Nothing to rescue: no file; a wrong output name is wrong usage.
  WriteFile(folder_ + "junk.ekcab", "not a cabinet" + std::string(100, '.'));
  const ConvertRun junk = Convert("rescue '" + folder_ + "junk.ekcab' '" + folder_ + "nothing.ekcab'");
  EXPECT_EQ(junk.status, 1);
  EXPECT_NE(junk.err.find("not a cabinet or packaged movie"), std::string::npos) << junk.err;
  WriteFile(folder_ + "noise.~ekflm", std::string(5000, '\x5A'));
  EXPECT_EQ(Convert("rescue '" + folder_ + "noise.~ekflm' '" + folder_ + "nothing.ekcab'").status, 1);
  EXPECT_FALSE(fs::exists(folder_ + "nothing.ekcab"));
  EXPECT_EQ(Convert("rescue '" + folder_ + "movie.ekcab' '" + folder_ + "out.mkv'").status, 2);
}

TEST_F(Converter, ConversionsRunInParallel) {
  Wrappings();
  ConvertRun first, second;
  std::thread a([&] { first = Convert("video '" + folder_ + "movie.ekcab' '" + folder_ + "a.mkv'"); });
  std::thread b([&] { second = Convert("frames '" + folder_ + "DEMO.EXE' '" + folder_ + "b'"); });
  a.join();
  b.join();
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(second.status, 0) << second.err;
}

}  // namespace

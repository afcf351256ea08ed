// The rescue against the ideal on a corpus of damaged movies made here: the
// demo movie (32, 24 and 8 bits, cursor shapes, palettes that change) cut,
// garbled and split as discs, downloads and drives damage them. What the
// ideal keeps is worked out from the writer's layout and the cabinet's own
// structure, independently of the rescue; every case is checked frame by
// frame, and the table of all of them is printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

#include "CabinetFixtures.h"
#include "LittleEndian.h"
#include "MovieBytes.h"
#include "MovieRescue.h"
#include "MovieWriter.h"
#include "PlaybackFixtures.h"

namespace fs = std::filesystem;
namespace mw = moviewriter;
using namespace fixtures;

namespace {

constexpr int64_t kBlock = 32768;

struct TCorpus {
  std::vector<mw::Segment> segments = mw::DemoMovie();
  mw::Movie movie = mw::WriteMovie(segments);
  std::vector<TWrittenSegment> layout = WrittenLayout(segments, movie);
  std::vector<std::vector<uint64_t>> frames = FrameChecksums(movie.bytes, false);
  std::vector<std::vector<uint64_t>> withoutCursor = FrameChecksums(movie.bytes, false, false);

  // The frames the format lets a rescue keep when `damaged` ranges of the
  // movie file are lost: in each segment whose shapes and information are
  // whole, the frames whose records lie before the first damage in its frame
  // stream, and those whose records start after the last, when the stream's
  // end is whole.
  int64_t Recoverable(const TByteRanges& damaged) const {
    const auto hit = [&](int64_t begin, int64_t end) {
      for (const auto& [b, e] : damaged)
        if (b < end && begin < e) return true;
      return false;
    };
    int64_t kept = 0;
    for (size_t s = 0; s < layout.size(); ++s) {
      const TWrittenSegment& segment = layout[s];
      const mw::Field& info = movie.Find(static_cast<int>(s) + 1, "segment information");
      if (hit(segment.start, info.offset + info.size)) continue;
      const auto& ends = segment.recordEnds;
      const auto count = static_cast<int64_t>(ends.size());
      const auto recordStart = [&](int64_t f) {
        return f == 0 ? segment.framesStart : ends[static_cast<size_t>(f - 1)];
      };
      int64_t before = 0;
      while (before < count && !hit(recordStart(before), ends[static_cast<size_t>(before)])) ++before;
      kept += before;
      if (before == count) continue;
      const int64_t streamEnd = ends.back();
      int64_t lastDamage = segment.framesStart;
      for (const auto& [b, e] : damaged)
        if (b < streamEnd && segment.framesStart < e) lastDamage = std::max(lastDamage, std::min(e, streamEnd));
      if (lastDamage >= streamEnd) continue;
      for (int64_t f = count - 1; f > before && recordStart(f) >= lastDamage; --f) ++kept;
    }
    return kept;
  }
};

const TCorpus& Corpus() {
  static const TCorpus corpus;
  return corpus;
}

struct TTally {
  int cases = 0;
  int64_t recoverable = 0, recovered = 0, exact = 0;
};

// Counts the frames kept and those equal to the recorded ones, placed by
// the report's lost ranges; the rescued movie must open and play.
void Tally(const TMovieRescue& rescue, int64_t recoverable, TTally& tally, const std::string& what) {
  ++tally.cases;
  tally.recoverable += recoverable;
  tally.recovered += rescue.FramesKept();
  if (rescue.Segments.empty()) return;
  const auto rescued = FrameChecksums(rescue.Movie, false);
  const auto rescuedWithoutCursor = FrameChecksums(rescue.Movie, false, false);
  ASSERT_EQ(rescued.size(), rescue.Segments.size()) << what;
  const TCorpus& corpus = Corpus();
  for (size_t s = 0; s < rescue.Segments.size(); ++s) {
    const TRescuedSegment& segment = rescue.Segments[s];
    // Which recorded segment it is: by name and frame count.
    size_t original = 0;
    while (original < corpus.segments.size() &&
           (corpus.segments[original].name != segment.Name ||
            static_cast<int32_t>(corpus.segments[original].frames.size()) != segment.FramesRecorded))
      ++original;
    ASSERT_LT(original, corpus.segments.size()) << what;
    const bool coloursLost = segment.ColoursLostFrom >= 0;
    const auto& got = coloursLost ? rescuedWithoutCursor[s] : rescued[s];
    const auto& recorded = coloursLost ? corpus.withoutCursor[original] : corpus.frames[original];
    size_t k = 0;
    int32_t next = 0;
    auto keep = [&](int32_t first, int32_t end) {
      for (int32_t f = first; f < end && k < got.size(); ++f, ++k)
        if (got[k] == recorded[static_cast<size_t>(f)]) ++tally.exact;
    };
    for (const auto& [first, end] : segment.LostFrames) {
      keep(next, first);
      next = end;
    }
    keep(next, segment.FramesRecorded);
    EXPECT_EQ(k, got.size()) << what;
  }
}

// Where the data blocks of a cabinet of one folder lie, and what each
// decompresses to (0 for the first part of a block split between cabinets).
struct TCabinetBlocks {
  std::vector<int64_t> start, end, uncompressed;
};
TCabinetBlocks Blocks(const std::string& cabinet) {
  TCabinetBlocks blocks;
  const auto* bytes = reinterpret_cast<const uint8_t*>(cabinet.data());
  // The folder's entry lies right before the file entries.
  const int64_t folder = platform::Int32LE(bytes + 16) - 8;
  int64_t at = platform::Int32LE(bytes + folder);
  while (at + 8 <= static_cast<int64_t>(cabinet.size())) {
    const int64_t data = bytes[at + 4] | bytes[at + 5] << 8, size = bytes[at + 6] | bytes[at + 7] << 8;
    blocks.start.push_back(at);
    blocks.end.push_back(at + 8 + data);
    blocks.uncompressed.push_back(size);
    at += 8 + data;
  }
  return blocks;
}

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(RescueCorpus, EveryKindOfDamageKeepsWhatTheFormatAllows) {
  const TCorpus& corpus = Corpus();
  const std::string folder = FreshFolder("rescue-corpus");
  WriteFile(folder + "MyFilm.~ekflm", Text(corpus.movie.bytes));
  const int64_t size = static_cast<int64_t>(corpus.movie.bytes.size());
  std::mt19937 random(11);
  std::vector<std::pair<std::string, TTally>> table;
  const auto salvage = [&](const std::string& path) { return SalvageMovieFile(path, kSalvagedMovieBytes); };

  // The bare movie cut at 200 points.
  TTally& bare = table.emplace_back("bare movie cut, 200 points", TTally{}).second;
  for (int i = 1; i <= 200; ++i) {
    const int64_t cut = size * i / 201;
    WriteFile(folder + "cut.~ekflm", Text(corpus.movie.bytes).substr(0, static_cast<size_t>(cut)));
    TSalvagedMovie salvaged = salvage(folder + "cut.~ekflm");
    const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
    Tally(rescue, corpus.Recoverable({{cut, size}}), bare, "bare cut at " + std::to_string(cut));
  }

  // Stored and MSZIP cabinets cut at 50 points: the blocks wholly before the cut decode.
  for (const bool compress : {false, true}) {
    MakeCabinet(folder, folder + "movie.ekcab", {"MyFilm.~ekflm"}, compress);
    const std::string cabinet = ReadFile(folder + "movie.ekcab");
    const TCabinetBlocks blocks = Blocks(cabinet);
    TTally& tally =
        table.emplace_back(std::string(compress ? "MSZIP" : "stored") + " cabinet cut, 50 points", TTally{}).second;
    for (int i = 1; i <= 50; ++i) {
      const int64_t cut = static_cast<int64_t>(cabinet.size()) * i / 51;
      WriteFile(folder + "cut.ekcab", cabinet.substr(0, static_cast<size_t>(cut)));
      int64_t decodable = 0;
      for (size_t b = 0; b < blocks.end.size() && blocks.end[b] <= cut; ++b) decodable += blocks.uncompressed[b];
      TSalvagedMovie salvaged = salvage(folder + "cut.ekcab");
      const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
      Tally(rescue, corpus.Recoverable({{decodable, size}}), tally, "cabinet cut at " + std::to_string(cut));
    }
  }

  // One 2048-byte sector of the bare movie garbled, at 100 places.
  TTally& sectors = table.emplace_back("sector of the movie file garbled, 100 places", TTally{}).second;
  for (int i = 0; i < 100; ++i) {
    std::vector<uint8_t> damaged = corpus.movie.bytes;
    const int64_t sector = static_cast<int64_t>(random() % (damaged.size() / 2048)) * 2048;
    for (int64_t b = sector; b < sector + 2048; ++b) damaged[static_cast<size_t>(b)] = static_cast<uint8_t>(random());
    const TMovieRescue rescue = RescueMovie(damaged, {{sector, sector + 2048}});
    Tally(rescue, corpus.Recoverable({{sector, sector + 2048}}), sectors, "sector at " + std::to_string(sector));
  }

  // 1 to 10 bytes changed in the compressed data of an MSZIP cabinet.
  MakeCabinet(folder, folder + "movie.ekcab", {"MyFilm.~ekflm"}, true);
  const std::string cabinet = ReadFile(folder + "movie.ekcab");
  const TCabinetBlocks blocks = Blocks(cabinet);
  TTally& garbled = table.emplace_back("MSZIP data changed, 1 to 10 bytes, 50 cases", TTally{}).second;
  for (int i = 0; i < 50; ++i) {
    std::string damaged = cabinet;
    TByteRanges lost;
    const int changes = 1 + static_cast<int>(random() % 10);
    for (int c = 0; c < changes; ++c) {
      const size_t b = random() % blocks.start.size();
      const int64_t at = blocks.start[b] + 8 + static_cast<int64_t>(random() % (blocks.end[b] - blocks.start[b] - 8));
      damaged[static_cast<size_t>(at)] ^= static_cast<char>(1 + random() % 255);
      lost.emplace_back(static_cast<int64_t>(b) * kBlock, static_cast<int64_t>(b + 1) * kBlock);
    }
    WriteFile(folder + "garbled.ekcab", damaged);
    TSalvagedMovie salvaged = salvage(folder + "garbled.ekcab");
    const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
    Tally(rescue, corpus.Recoverable(lost), garbled, "garbled case " + std::to_string(i));
  }

  // A set of three whose second part is missing: the first part holds whole
  // the blocks before the one it shares with the second.
  TTally& set = table.emplace_back("set of 3, second part missing", TTally{}).second;
  const std::string first = MakeCabinetSet(folder, "set", "MyFilm.~ekflm", Text(corpus.movie.bytes), 3);
  fs::remove(folder + "set2.cab");
  const int64_t whole = (static_cast<int64_t>(Blocks(ReadFile(first)).start.size()) - 1) * kBlock;
  TSalvagedMovie salvaged = salvage(first);
  const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
  Tally(rescue, corpus.Recoverable({{whole, size}}), set, "set missing its second part");

  std::printf("| damage | cases | frames recoverable | frames recovered | frames exact |\n|---|---|---|---|---|\n");
  for (const auto& [name, tally] : table)
    std::printf("| %s | %d | %lld | %lld | %lld |\n", name.c_str(), tally.cases,
                static_cast<long long>(tally.recoverable), static_cast<long long>(tally.recovered),
                static_cast<long long>(tally.exact));
  // Cuts keep every frame the format allows, and those exactly; a sector
  // costs no more than its frames; garbled MSZIP data never leaves a wrong
  // frame unreported.
  for (const size_t t : {size_t{0}, size_t{1}, size_t{2}, size_t{5}}) {
    EXPECT_EQ(table[t].second.recovered, table[t].second.recoverable) << table[t].first;
    EXPECT_EQ(table[t].second.exact, table[t].second.recovered) << table[t].first;
  }
  EXPECT_GE(table[3].second.recovered * 100, table[3].second.recoverable * 95) << table[3].first;
  EXPECT_EQ(table[4].second.exact, table[4].second.recovered) << table[4].first;
}

}  // namespace

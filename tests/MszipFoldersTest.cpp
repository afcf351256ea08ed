// The ISA-L decoder of MSZIP folders against libmspack's own extraction, on
// every cabinet of the corpus and on cabinets made here whole and damaged:
// what it takes as sound must be what libmspack gives, and what it gives
// before a damaged block must be what libmspack gives before it too.
#include "MszipFolders.h"

#include <gtest/gtest.h>
#include <mspack.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CabinetFixtures.h"

namespace fs = std::filesystem;

namespace {

mszip::TReadAt ReadFrom(const std::string& bytes) {
  return [&bytes](int64_t offset, void* into, size_t n) -> int64_t {
    if (offset < 0) return -1;
    const size_t got = std::min(n, bytes.size() - std::min(bytes.size(), static_cast<size_t>(offset)));
    std::copy_n(bytes.data() + std::min(bytes.size(), static_cast<size_t>(offset)), got, static_cast<char*>(into));
    return static_cast<int64_t>(got);
  };
}

struct TLibmspackFile {
  std::string name, bytes;
  int folder = 0;
  int64_t offset = 0, length = 0;
  bool extracted = false;
};

// Every file of a cabinet as libmspack extracts it on its own, sound or not.
std::vector<TLibmspackFile> ExtractedByLibmspack(const std::string& cabinet, const std::string& scratch) {
  std::vector<TLibmspackFile> files;
  mscab_decompressor* cabd = mspack_create_cab_decompressor(nullptr);
  mscabd_cabinet* cab = cabd->open(cabd, const_cast<char*>(cabinet.c_str()));
  for (mscabd_file* f = cab ? cab->files : nullptr; f; f = f->next) {
    TLibmspackFile file;
    file.name = f->filename;
    for (mscabd_folder* folder = cab->folders; folder && folder != f->folder; folder = folder->next) ++file.folder;
    file.offset = f->offset;
    file.length = f->length;
    std::remove(scratch.c_str());
    file.extracted = cabd->extract(cabd, f, const_cast<char*>(scratch.c_str())) == MSPACK_ERR_OK;
    file.bytes = fs::exists(scratch) ? fixtures::ReadFile(scratch) : std::string();
    files.push_back(file);
  }
  if (cab) cabd->close(cabd, cab);
  mspack_destroy_cab_decompressor(cabd);
  return files;
}

struct TCompared {
  int whole = 0, unsound = 0;
};

// Each file of a lone cabinet read by the decoder, one reader for the whole
// cabinet as the cabinet library keeps one, against libmspack's extraction.
// `originals`: what the files held when the cabinet was made, where known;
// whatever the decoder gives of them must be their beginning.
TCompared CompareWithLibmspack(const std::string& cabinet, const std::string& scratch,
                               const std::map<std::string, std::string>& originals = {}) {
  TCompared compared;
  const std::string bytes = fixtures::ReadFile(cabinet);
  const std::optional<mszip::TLoneCabinet> lone = mszip::ReadLoneCabinet(ReadFrom(bytes));
  if (!lone) return compared;
  mszip::TFolderReader reader;
  for (const TLibmspackFile& file : ExtractedByLibmspack(cabinet, scratch)) {
    std::string given;
    const auto result = reader.Read(ReadFrom(bytes), *lone, file.folder, file.offset, file.length,
                                    [&given](const uint8_t* data, size_t n) {
                                      given.append(reinterpret_cast<const char*>(data), n);
                                      return true;
                                    });
    if (result == mszip::TFolderReader::TResult::Whole) {
      ++compared.whole;
      EXPECT_TRUE(file.extracted) << cabinet << " " << file.name << ": sound here, refused by libmspack";
      EXPECT_TRUE(given == file.bytes) << cabinet << " " << file.name;
    } else {
      // libmspack reads ahead and may stop before a damaged block that the
      // decoder reaches, or go on past it: on what both gave, they agree.
      ++compared.unsound;
      EXPECT_EQ(result, mszip::TFolderReader::TResult::Unsound);
      const size_t common = std::min(given.size(), file.bytes.size());
      EXPECT_TRUE(given.compare(0, common, file.bytes, 0, common) == 0) << cabinet << " " << file.name;
    }
    const auto original = originals.find(file.name);
    if (original != originals.end()) {
      EXPECT_TRUE(original->second.compare(0, given.size(), given) == 0) << cabinet << " " << file.name;
    }
  }
  return compared;
}

}  // namespace

TEST(MszipFolders, EveryCorpusCabinetReadsAsLibmspackReadsIt) {
  const std::string corpus = fixtures::CorpusFolder();
  if (corpus.empty()) GTEST_SKIP() << "../shared/corpus is absent: the third-party cabinets are not checked";
  const std::string scratch = fixtures::FreshFolder("mszip-corpus") + "file";
  TCompared all;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (entry.path().extension() != ".cab") continue;
    const TCompared one = CompareWithLibmspack(entry.path().string(), scratch);
    all.whole += one.whole;
    all.unsound += one.unsound;
  }
  // The decoder must have taken part, or the comparison proves nothing: most
  // of the corpus is damaged, LZX, Quantum or sets, which it leaves alone.
  EXPECT_GE(all.whole, 4);
  std::printf("corpus files read whole by the decoder: %d, left to libmspack: %d\n", all.whole, all.unsound);
}

TEST(MszipFolders, MadeCabinetsWholeAndWithEveryKindOfDamage) {
  // Two files in one folder of many blocks (the second starts inside a
  // block), one that doesn't compress; then each cabinet with a data byte,
  // a checksum and a stated length changed, and cut short.
  const std::string folder = fixtures::FreshFolder("mszip-made");
  std::string text, noise;
  for (int i = 0; i < 30000; ++i) text += "line " + std::to_string(i * 7 % 1000) + " of the lesson\n";
  uint32_t seed = 5;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  fixtures::WriteFile(folder + "text.txt", text);
  fixtures::WriteFile(folder + "noise.bin", noise);
  fixtures::MakeCabinet(folder, "made.cab", {"text.txt", "noise.bin"}, true);
  const std::string made = fixtures::ReadFile(folder + "made.cab");
  const std::map<std::string, std::string> originals = {{"text.txt", text}, {"noise.bin", noise}};
  const TCompared sound = CompareWithLibmspack(folder + "made.cab", folder + "scratch", originals);
  EXPECT_EQ(sound.whole, 2);

  const std::optional<mszip::TLoneCabinet> lone = mszip::ReadLoneCabinet(ReadFrom(made));
  ASSERT_TRUE(lone);
  ASSERT_EQ(lone->folders.size(), 1u);
  const int64_t firstBlock = lone->folders[0].firstBlock;
  struct Damage {
    const char* name;
    int64_t at;
  };
  const Damage damages[] = {{"checksum", firstBlock}, {"stated length", firstBlock + 6},
                            {"first block's data", firstBlock + 100},
                            {"a middle block's data", static_cast<int64_t>(made.size() / 2)}};
  for (const Damage& damage : damages) {
    std::string damaged = made;
    damaged[static_cast<size_t>(damage.at)] ^= 0x5A;
    fixtures::WriteFile(folder + "damaged.cab", damaged);
    const TCompared compared = CompareWithLibmspack(folder + "damaged.cab", folder + "scratch", originals);
    EXPECT_GT(compared.unsound, 0) << damage.name;
  }
  fixtures::WriteFile(folder + "cut.cab", made.substr(0, made.size() * 2 / 3));
  EXPECT_GT(CompareWithLibmspack(folder + "cut.cab", folder + "scratch", originals).unsound, 0);
}

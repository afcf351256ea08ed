// Cabinet sets as users meet them: copied from disks that ignore letter case,
// damaged or hostile chains, and extractions that follow a failed one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "CabIntf.h"
#include "CabSTComps.h"
#include "CabinetFixtures.h"

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

class CabinetSet : public testing::Test {
 protected:
  void SetUp() override {
    cabintf::SetLibraryFolders({BuildFolder() + "player/"});
    folder_ = FreshFolder("set-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    out_ = FreshFolder("set-out-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    reader_.OnCabinetInfo = [this](TSTCabReader&, const std::string&, const std::string&, const std::string& path,
                                   uint16_t, uint16_t index, bool&) {
      visits_.push_back({path, index});
    };
  }

  std::string Data(size_t size) const {
    std::string data;
    for (size_t i = 0; i < size; ++i) data += static_cast<char>(i * 7 % 251);
    return data;
  }

  TSTCabReader reader_;
  std::string folder_, out_;
  std::vector<std::pair<std::string, uint16_t>> visits_;
};

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST_F(CabinetSet, PartsNamedInAnotherCaseAreFoundWhenTheMovieSpansThem) {
  const std::string data = Data(200000);
  const std::string first = MakeCabinetSet(folder_, "part", "MyFilm.~ekflm", data, 3);
  // The set names "part2.cab" and "part3.cab"; a copy from a FAT disk has them in capitals.
  fs::rename(folder_ + "part2.cab", folder_ + "PART2.CAB");
  fs::rename(folder_ + "part3.cab", folder_ + "Part3.Cab");
  ASSERT_NO_THROW(reader_.ExtractFiles(first, out_));
  EXPECT_EQ(ReadFile(out_ + "MyFilm.~ekflm"), data);
}

TEST_F(CabinetSet, PartsNamedInAnotherCaseAreFoundWhenTheMovieLiesInALaterOne) {
  const std::string data = Data(70000);
  MakeLinkedCabinet(folder_ + "set1.ekcab", {{"readme.txt", "read me"}}, "SET2.EKCAB", 0);
  MakeLinkedCabinet(folder_ + "set2.ekcab", {{"MyFilm.~ekflm", data}}, "", 1);
  ASSERT_NO_THROW(reader_.ExtractFiles(folder_ + "set1.ekcab", out_));
  EXPECT_EQ(ReadFile(out_ + "readme.txt"), "read me");
  EXPECT_EQ(ReadFile(out_ + "MyFilm.~ekflm"), data);
  EXPECT_EQ(visits_.size(), 2u);
}

TEST_F(CabinetSet, APipeAsSuccessorEndsTheExtractionAtOnce) {
  MakeLinkedCabinet(folder_ + "first.ekcab", {{"MyFilm.~ekflm", "movie"}}, "pipe.ekcab", 0);
  ASSERT_EQ(::mkfifo((folder_ + "pipe.ekcab").c_str(), 0600), 0);
  // Run apart, so that a hang fails the test instead of stopping the run.
  auto extraction = std::async(std::launch::async, [this] { reader_.ExtractFiles(folder_ + "first.ekcab", out_); });
  ASSERT_EQ(extraction.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "the pipe blocked";
  EXPECT_NO_THROW(extraction.get());
  EXPECT_EQ(ReadFile(out_ + "MyFilm.~ekflm"), "movie");

  // A file that continues into a pipe fails instead.
  const std::string first = MakeCabinetSet(folder_, "span", "MyFilm.~ekflm", Data(100000), 2);
  fs::remove(folder_ + "span2.cab");
  ASSERT_EQ(::mkfifo((folder_ + "span2.cab").c_str(), 0600), 0);
  auto spanning = std::async(std::launch::async, [&] { reader_.ExtractFiles(first, out_); });
  ASSERT_EQ(spanning.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "the pipe blocked";
  EXPECT_THROW(spanning.get(), ESTCabinet);
}

TEST_F(CabinetSet, SetsThatLoopEndAtTheFirstCabinetMetAgain) {
  struct Loop {
    std::vector<std::string> names;  // each names the next; the last names the first
    std::string lastNames;           // how the last one names the first
  };
  const Loop loops[] = {
      {{"a.ekcab", "b.ekcab"}, "a.ekcab"},
      {{"a.ekcab", "b.ekcab", "c.ekcab"}, "a.ekcab"},
      {{"itself.ekcab"}, "./itself.ekcab"},
      {{"a.ekcab", "b.ekcab"}, "../" + fs::path(folder_).parent_path().filename().string() + "/A.EKCAB"},
  };
  for (const Loop& loop : loops) {
    visits_.clear();
    for (size_t i = 0; i < loop.names.size(); ++i) {
      const std::string next = i + 1 < loop.names.size() ? loop.names[i + 1] : loop.lastNames;
      MakeLinkedCabinet(folder_ + loop.names[i], {{"f" + std::to_string(i), "x"}}, next, static_cast<uint16_t>(i));
    }
    auto extraction = std::async(std::launch::async, [&] { reader_.ExtractFiles(folder_ + loop.names.front(), out_); });
    ASSERT_EQ(extraction.wait_for(std::chrono::seconds(20)), std::future_status::ready) << loop.lastNames;
    EXPECT_NO_THROW(extraction.get());
    EXPECT_EQ(visits_.size(), loop.names.size()) << loop.lastNames;
  }
}

TEST_F(CabinetSet, AFailedExtractionLeavesNothingOpenAndDoesNotServeTheNext) {
  const std::string source = FreshFolder("damage-source");
  const std::string good = Data(300000);
  WriteFile(source + "MyFilm.~ekflm", good);
  MakeCabinet(source, folder_ + "good.ekcab", {"MyFilm.~ekflm"}, true);
  WriteFile(source + "MyFilm.~ekflm", Data(300000).substr(1000) + std::string(1000, 'z'));
  MakeCabinet(source, folder_ + "damaged.ekcab", {"MyFilm.~ekflm"}, true);
  // The last data block damaged: the copy fails in the middle of the file.
  std::string damaged = ReadFile(folder_ + "damaged.ekcab");
  for (size_t i = damaged.size() - 200; i < damaged.size() - 100; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  WriteFile(folder_ + "damaged.ekcab", damaged);

  ASSERT_NO_THROW(reader_.ExtractFiles(folder_ + "good.ekcab", out_));
  EXPECT_EQ(ReadFile(out_ + "MyFilm.~ekflm"), good);
  const int before = OpenDescriptors();
  for (int round = 0; round < 3; ++round) {
    fs::remove(out_ + "MyFilm.~ekflm");
    EXPECT_THROW(reader_.ExtractFiles(folder_ + "damaged.ekcab", out_), ESTCabinet);
    EXPECT_EQ(OpenDescriptors(), before) << round;
    fs::remove(out_ + "MyFilm.~ekflm");
    ASSERT_NO_THROW(reader_.ExtractFiles(folder_ + "good.ekcab", out_)) << round;
    EXPECT_EQ(ReadFile(out_ + "MyFilm.~ekflm"), good) << round;
  }
}

TEST_F(CabinetSet, EntriesThatWouldMakeAFolderOfAReservedNameAreRefused) {
  reader_.ReservedNames = {"MyFilm.~ekflm", "temp.ekcab"};
  for (const std::string name : {"MyFilm.~ekflm/x", "temp.ekcab\\x", "./temp.ekcab/deep/x"}) {
    MakeLinkedCabinet(folder_ + "hostile.ekcab", {{name, "x"}});
    EXPECT_THROW(reader_.ExtractFiles(folder_ + "hostile.ekcab", out_), ESTCabinet) << name;
    EXPECT_FALSE(fs::exists(out_ + "MyFilm.~ekflm")) << name;
    EXPECT_FALSE(fs::exists(out_ + "temp.ekcab")) << name;
  }
  MakeLinkedCabinet(folder_ + "plain.ekcab", {{"MyFilm.~ekflm", "movie"}, {"docs/MyFilm.~ekflm/x", "y"}});
  EXPECT_NO_THROW(reader_.ExtractFiles(folder_ + "plain.ekcab", out_));
  EXPECT_EQ(ReadFile(out_ + "MyFilm.~ekflm"), "movie");
}

}  // namespace

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "PackagedMovie.h"

TEST(PackagedMovie, KnownByItsNameAlone) {
  for (const char* name : {"a.exe", "DEMO.EXE", "/x/Урок 1.Exe"}) EXPECT_TRUE(IsPackagedMovie(name)) << name;
  for (const char* name : {"a.ekcab", "a.exe.ekcab", "exe", "a.exe/"}) EXPECT_FALSE(IsPackagedMovie(name)) << name;
}

// The trailer written for a cabinet gives that cabinet back, at the end of
// the file before the trailer; a trailer that points outside the file is refused.
TEST(PackagedMovie, TrailerWrittenAndReadBack) {
  struct Case {
    int64_t cabinet, file;
    bool fits;
  };
  for (const Case c : {Case{0, 4, true}, Case{10, 14, true}, Case{10, 100, true}, Case{11, 14, false},
                       Case{int64_t{INT32_MAX}, int64_t{INT32_MAX} + 4, true}}) {
    const auto trailer = PackagedTrailer(c.cabinet);
    ASSERT_TRUE(trailer) << c.cabinet;
    std::string failure;
    const auto appended = AppendedCabinet(trailer->data(), c.file, failure);
    ASSERT_EQ(appended.has_value(), c.fits) << c.cabinet << " in " << c.file;
    if (c.fits) {
      EXPECT_EQ(appended->length, c.cabinet);
      EXPECT_EQ(appended->start + appended->length + kPackagedTrailerBytes, c.file);
    } else {
      EXPECT_EQ(failure, "the trailer gives a cabinet of 11 bytes in a file of 14 bytes");
    }
  }
  // The length is read signed, as it always was: beyond 2 GiB is no cabinet.
  EXPECT_FALSE(PackagedTrailer(int64_t{INT32_MAX} + 1));
  EXPECT_FALSE(PackagedTrailer(-1));
  const uint8_t negative[4] = {0, 0, 0, 0x80};
  std::string failure;
  EXPECT_FALSE(AppendedCabinet(negative, int64_t{1} << 40, failure));
  EXPECT_FALSE(AppendedCabinet(negative, 3, failure));
  EXPECT_EQ(failure, "the file of 3 bytes is too short for a packaged movie");
}

// Puts the movie file of a cabinet or a packaged movie at the temporary
// movie file: the trailer of a packaged movie, the temporary cabinet cut out
// of it, and the cabinet reader. No window: the converter uses it too.
#pragma once

#include <chrono>
#include <string>

class TSTCabReader;

enum class TExtractResult {
  Extracted,
  TempMovieFileBusy,        // the old temporary movie file can't be removed
  TempCabinetNotCreated,    // "temp.ekcab" can't be created
  UnsupportedFormat,        // not a cabinet, damaged, or a packaged movie that can't be read
};

struct TMovieExtraction {
  std::string TempDir;        // with its trailing separator
  std::string TempMovieFile;  // TempDir + "MyFilm.~ekflm"
  // How long a packaged movie held by another program is tried again.
  std::chrono::milliseconds PackageRetry{15000};

  // cabinetFile becomes the cabinet that was read: the path itself, or the
  // temporary cabinet cut out of a packaged movie (deleted after a success).
  TExtractResult Extract(const std::string& path, TSTCabReader& reader, std::string& cabinetFile) const;
};

// A packaged movie is recognised by the extension ".exe", in any case.
bool IsPackagedMovie(const std::string& path);

// Puts the movie file of a cabinet or a packaged movie at the temporary
// movie file: the trailer of a packaged movie, the temporary cabinet cut out
// of it, and the cabinet reader. No window: the converter uses it too.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

class TSTCabReader;

namespace platform {
class TStream;
}

enum class TExtractResult {
  Extracted,
  TempMovieFileBusy,      // the old temporary movie file can't be removed, or another player holds it
  TempCabinetNotCreated,  // "temp.ekcab" can't be created
  TempCabinetNotWritten,  // "temp.ekcab" can't be written whole (a full disk); nothing of it stays
  UnsupportedFormat,      // not a cabinet, damaged, or a packaged movie that can't be read
  MovieFileNotOpened,     // extracted, but the cabinet held no movie file that can be opened
};

struct TMovieExtraction {
  TMovieExtraction(std::string tempDir, std::string tempMovieFile)
      : TempDir(std::move(tempDir)), TempMovieFile(std::move(tempMovieFile)) {}

  std::string TempDir;        // with its trailing separator
  std::string TempMovieFile;  // TempDir + "MyFilm.~ekflm"
  // How long a packaged movie held by another program is tried again.
  std::chrono::milliseconds PackageRetry{15000};
  // How long another player may keep the temporary folder before this one gives up.
  std::chrono::milliseconds TempFolderWait{15000};

  // What went wrong, in the words of whoever found it (the reader, the
  // trailer's check, the system), for a result other than Extracted.
  std::string FailureText;
  // The system's error code when the temporary cabinet could not be written.
  uint32_t WriteError = 0;

  // cabinetFile becomes the cabinet that was read: the path itself, or the
  // temporary cabinet cut out of a packaged movie (deleted after a success).
  TExtractResult Extract(const std::string& path, TSTCabReader& reader, std::string& cabinetFile);
  // Extract, then `read` the movie file, while no other player can touch the
  // temporary folder: from the removal of the old movie file to the end of reading.
  TExtractResult ExtractAndRead(const std::string& path, TSTCabReader& reader, std::string& cabinetFile,
                                const std::function<void(platform::TStream&)>& read);
};

// Removes the movie file and the temporary cabinet from the folder, so that
// no movie stays after the player ends, nor one that an ended or killed
// player left; nothing when another player holds the folder now.
void RemoveExtractedFiles(const std::string& tempDir);

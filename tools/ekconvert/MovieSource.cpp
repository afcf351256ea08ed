#include "MovieSource.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "CabSTComps.h"
#include "Files.h"
#include "MovieExtraction.h"
#include "MovieFiles.h"
#include "MovieReader.h"
#include "PackagedMovie.h"

namespace {

std::string ExtractionFailure(const std::string& path, TExtractResult result, const std::string& detail) {
  std::string text;
  switch (result) {
    case TExtractResult::TempMovieFileBusy: text = "the temporary movie file can't be removed"; break;
    case TExtractResult::TempCabinetNotCreated: text = "the temporary cabinet can't be created"; break;
    case TExtractResult::TempCabinetNotWritten: text = "the temporary cabinet can't be written"; break;
    default: text = IsPackagedMovie(path) ? "not a packaged movie" : "not a cabinet movie"; break;
  }
  return detail.empty() ? text : text + ": " + detail;
}

// A folder of this run's own, right in the temporary folder (the player's
// private folder is not made for a conversion), removed with everything in
// it when it goes, also when opening fails.
struct TPrivateFolder {
  std::string path;
  TPrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string folder = std::string(base && *base ? base : "/tmp") + "/ekconvert-XXXXXX";
    if (!::mkdtemp(folder.data()))
      throw platform::Exception("can't make a private folder: " + folder + ": " + std::strerror(errno));
    path = folder + "/";
  }
  ~TPrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
};

}  // namespace

TMovieSource::TMovieSource(const std::string& path) {
  if (!platform::FileExists(path)) throw platform::Exception("no such file");
  // The bare movie file: the one given, or the one taken out of the cabinet.
  std::string movieFile = path;
  std::optional<TPrivateFolder> folder;
  if (!IsBareMovie(path)) {
    folder.emplace();
    TMovieExtraction extraction(folder->path, folder->path + kMovieFileName);
    TSTCabReader reader;
    std::string cabinet;
    const TExtractResult result = extraction.Extract(path, reader, cabinet);
    if (result != TExtractResult::Extracted)
      throw platform::Exception(ExtractionFailure(path, result, extraction.FailureText));
    movieFile = extraction.TempMovieFile;
    if (!platform::FileExists(movieFile))
      throw platform::Exception(std::string("the cabinet holds no ") + kMovieFileName);
  }
  if (playback_.AllocFrameBuffer(TMoviePlayback::FrameBufferSize) != result::AllRight)
    throw platform::Exception("no memory for the frame buffer");
  platform::TFileStream stream(movieFile, platform::TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
  ReadMovie(stream, playback_.SegmentList);
}

TMovieSource::~TMovieSource() = default;

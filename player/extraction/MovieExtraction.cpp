#include "MovieExtraction.h"

#include <memory>
#include <thread>

#include "CabSTComps.h"
#include "Files.h"
#include "FolderLock.h"
#include "MovieFiles.h"
#include "PackagedMovie.h"
#include "Streams.h"
#include "Win32Error.h"

namespace {

constexpr const char* kTempCabinetName = "temp.ekcab";

// Open with no sharing, tried again without pause until the time is up.
std::unique_ptr<platform::TFileStream> OpenPackage(const std::string& path, std::chrono::milliseconds retry) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    try {
      return std::make_unique<platform::TFileStream>(path, platform::TFileStream::Mode::OpenRead, 0);
    } catch (const platform::EFOpenError&) {
      if (std::chrono::steady_clock::now() - start >= retry) return nullptr;
      std::this_thread::yield();
    }
  }
}

}  // namespace

TExtractResult TMovieExtraction::Extract(const std::string& path, TSTCabReader& reader, std::string& cabinetFile) {
  FailureText.clear();
  WriteError = 0;
  platform::RemoveFolderAt(TempMovieFile);
  if (platform::PathExists(TempMovieFile)) {
    platform::DeleteFile(TempMovieFile);
    if (platform::PathExists(TempMovieFile)) return TExtractResult::TempMovieFileBusy;
  }
  const bool temporary = IsPackagedMovie(path);
  cabinetFile = path;
  if (temporary) {
    const std::unique_ptr<platform::TFileStream> package = OpenPackage(path, PackageRetry);
    if (!package) {
      FailureText = "the packaged movie can't be opened";
      return TExtractResult::UnsupportedFormat;
    }
    const int64_t size = package->Size();
    uint8_t trailer[kPackagedTrailerBytes] = {};
    if (size >= kPackagedTrailerBytes) {
      package->Seek(-kPackagedTrailerBytes, platform::SeekOrigin::End);
      package->ReadBuffer(trailer, kPackagedTrailerBytes);
    }
    const std::optional<TAppendedCabinet> appended = AppendedCabinet(trailer, size, FailureText);
    if (!appended) return TExtractResult::UnsupportedFormat;
    const int64_t length = appended->length;
    package->Seek(appended->start, platform::SeekOrigin::Begin);
    cabinetFile = TempDir + kTempCabinetName;
    platform::RemoveFolderAt(cabinetFile);
    std::unique_ptr<platform::TFileStream> cabinet;
    try {
      cabinet = std::make_unique<platform::TFileStream>(cabinetFile, platform::TFileStream::Mode::Create, 0);
    } catch (const platform::EFOpenError& e) {
      FailureText = e.what();
      return TExtractResult::TempCabinetNotCreated;
    }
    try {
      cabinet->CopyFrom(*package, length);
    } catch (const platform::EWriteError&) {
      // A partial cabinet would only keep the disk full for the next opening.
      WriteError = platform::GetLastError();
      FailureText = "temp.ekcab can't be written: " + platform::SysErrorMessage(WriteError);
      cabinet.reset();
      platform::DeleteFile(cabinetFile);
      return TExtractResult::TempCabinetNotWritten;
    }
  }
  reader.ReservedNames = {kMovieFileName, kTempCabinetName};
  // The movie file alone: the folder is also the packaged movie's program
  // folder, where any other entry could stand in for a library or the help.
  const std::string movieTarget = AddTrailingBackslash(TempDir) + kMovieFileName;
  reader.OnCopyFile = [movieTarget](TSTCabReader&, const std::string&, int32_t, uint16_t, uint16_t, uint16_t, uint16_t,
                                    std::string& target, bool&) {
    if (target != movieTarget) target.clear();
  };
  try {
    reader.ExtractFiles(cabinetFile, TempDir);
  } catch (const std::exception& e) {
    // The temporary cabinet stays, to show what was cut out.
    FailureText = e.what();
    return TExtractResult::UnsupportedFormat;
  }
  if (temporary) platform::DeleteFile(cabinetFile);
  return TExtractResult::Extracted;
}

void RemoveExtractedFiles(const std::string& tempDir) {
  const platform::TFolderLock lock(tempDir, std::chrono::milliseconds(0));
  if (!lock.Held()) return;
  for (const char* name : {kMovieFileName, kTempCabinetName}) {
    const std::string path = AddTrailingBackslash(tempDir) + name;
    if (platform::PathExists(path)) platform::DeleteFile(path);
  }
}

TExtractResult TMovieExtraction::ExtractAndRead(const std::string& path, TSTCabReader& reader, std::string& cabinetFile,
                                                const std::function<void(platform::TStream&)>& read) {
  const platform::TFolderLock lock(TempDir, TempFolderWait);
  if (!lock.Held()) {
    FailureText = "another player keeps " + TempDir + " busy";
    return TExtractResult::TempMovieFileBusy;
  }
  const TExtractResult result = Extract(path, reader, cabinetFile);
  if (result != TExtractResult::Extracted) return result;
  std::unique_ptr<platform::TFileStream> movie;
  try {
    movie = std::make_unique<platform::TFileStream>(TempMovieFile, platform::TFileStream::Mode::OpenRead, 0,
                                                    /*followLinks=*/false);
  } catch (const platform::EFOpenError& e) {
    FailureText = e.what();
    return TExtractResult::MovieFileNotOpened;
  }
  read(*movie);
  return TExtractResult::Extracted;
}

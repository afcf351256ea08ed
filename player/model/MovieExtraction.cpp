#include "MovieExtraction.h"

#include <memory>
#include <thread>

#include "CabSTComps.h"
#include "Files.h"
#include "LittleEndian.h"
#include "Streams.h"

bool IsPackagedMovie(const std::string& path) {
  return platform::LowerFileExt(path) == ".exe";
}

namespace {

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

TExtractResult TMovieExtraction::Extract(const std::string& path, TSTCabReader& reader,
                                         std::string& cabinetFile) const {
  if (platform::PathExists(TempMovieFile)) {
    platform::DeleteFile(TempMovieFile);
    if (platform::PathExists(TempMovieFile)) return TExtractResult::TempMovieFileBusy;
  }
  const bool temporary = IsPackagedMovie(path);
  cabinetFile = path;
  if (temporary) {
    const std::unique_ptr<platform::TFileStream> package = OpenPackage(path, PackageRetry);
    if (!package) return TExtractResult::UnsupportedFormat;
    const int64_t size = package->Size();
    if (size < 4) return TExtractResult::UnsupportedFormat;
    uint8_t trailer[4];
    package->Seek(-4, platform::SeekOrigin::End);
    package->ReadBuffer(trailer, 4);
    const int32_t length = platform::Int32LE(trailer);
    // A cabinet that would start before the file or run into the trailer is no packaged movie.
    if (length < 0 || length > size - 4) return TExtractResult::UnsupportedFormat;
    package->Seek(size - length - 4, platform::SeekOrigin::Begin);
    cabinetFile = TempDir + "temp.ekcab";
    std::unique_ptr<platform::TFileStream> cabinet;
    try {
      cabinet = std::make_unique<platform::TFileStream>(cabinetFile, platform::TFileStream::Mode::Create, 0);
    } catch (const platform::EFOpenError&) {
      return TExtractResult::TempCabinetNotCreated;
    }
    cabinet->CopyFrom(*package, length);
  }
  try {
    reader.ExtractFiles(cabinetFile, TempDir);
  } catch (const std::exception&) {
    // The temporary cabinet stays, to show what was cut out.
    return TExtractResult::UnsupportedFormat;
  }
  if (temporary) platform::DeleteFile(cabinetFile);
  return TExtractResult::Extracted;
}

// The cabinet reader: extracts every file of a cabinet, and of the cabinets
// that follow it in a set, into a folder, through the cabinet library.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "Exception.h"
#include "fdi.h"

class ESTCabinet : public platform::Exception {
 public:
  ESTCabinet(const ERF& erf, bool isFCI);
  // An error of this reader's own, worded by it.
  ESTCabinet(const ERF& erf, const std::string& message);

  int32_t ErrorCode;
  int32_t OsError;
  bool ErrorPresent;
  bool IsFCI;
};

enum class TSTCabReaderOption { croExecuteOnExtract, croDontOverwriteReadOnlyFiles };
using TSTCabReaderOptions = std::set<TSTCabReaderOption>;
enum class TSTCabExtractFlag { SingleCabinet };
using TSTCabExtractFlags = std::set<TSTCabExtractFlag>;

class TSTCabReader;
using TSTCabReaderCabinetInfoEvent =
    std::function<void(TSTCabReader& sender, const std::string& aNextCabName, const std::string& aNextDiskName,
                       const std::string& aCabPath, uint16_t aSetID, uint16_t aCabNo, bool& anAbort)>;
using TSTCabReaderCopyFileEvent = std::function<void(
    TSTCabReader& sender, const std::string& aSrcFileName, int32_t anUncompressedSize, uint16_t aDate, uint16_t aTime,
    uint16_t anAttrs, uint16_t aFolderNo, std::string& aDstFullFileName, bool& anAbort)>;
using TSTCabReaderCopyPartialFileEvent =
    std::function<void(TSTCabReader& sender, const std::string& aSrcFileName, const std::string& aStartCabName,
                       const std::string& aStartDiskName, const std::string& aDstFullFileName, bool& anAbort)>;
using TSTCabReaderCloseFileEvent = std::function<void(
    TSTCabReader& sender, const std::string& aSrcFileName, uint16_t aDate, uint16_t aTime, uint16_t anAttrs,
    uint16_t aFolderNo, bool& anExec, const std::string& aDstFullFileName, bool& anAbort)>;
using TSTCabReaderNextCabinetEvent =
    std::function<void(TSTCabReader& sender, const std::string& aCabName, const std::string& aDiskName,
                       std::string& aCabPath, FDIERROR anError, bool& anAbort)>;
using TSTCabReaderUnrecognizedNotifyEvent = std::function<void(TSTCabReader& sender, FDINOTIFICATIONTYPE aNotifyType,
                                                               FDINOTIFICATION& aNotify, int32_t& aResult)>;

class TSTCabReader {
 public:
  // A set's cabinets are numbered with 16 bits.
  static constexpr size_t kMaxCabinetsInSet = 65535;

  TSTCabReader();
  ~TSTCabReader();
  TSTCabReader(const TSTCabReader&) = delete;
  TSTCabReader& operator=(const TSTCabReader&) = delete;

  // Raises ESTCabinet, or the binding's operating-system error.
  void ExtractFiles(const std::string& cabinetFile, const std::string& destination, TSTCabExtractFlags flags = {});
  // The answer to one notification of the library.
  intptr_t Notify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& notification);

  TSTCabReaderOptions Options;
  TSTCabReaderCabinetInfoEvent OnCabinetInfo;
  TSTCabReaderCopyFileEvent OnCopyFile;
  TSTCabReaderCopyPartialFileEvent OnCopyPartialFile;
  TSTCabReaderCloseFileEvent OnCloseFile;
  TSTCabReaderNextCabinetEvent OnNextCabinet;
  TSTCabReaderUnrecognizedNotifyEvent OnUnrecognizedNotify;
  // Names in the destination folder that no entry may turn into a folder:
  // the files whose place its owner keeps for itself.
  std::set<std::string> ReservedNames;
  // Opens a file the cabinet marks run-after-extract; the shell's by default.
  std::function<void(const std::string&)> ShellOpen;

 private:
  void CheckFdiResult(bool ok);
  void CloseOpenTargets();
  void ReleaseContext();
  intptr_t CabinetInfo(FDINOTIFICATION& n, bool& anAbort);
  intptr_t CopyFile(FDINOTIFICATION& n, bool& anAbort);
  intptr_t CloseFile(FDINOTIFICATION& n, bool& anAbort);
  intptr_t NextCabinet(FDINOTIFICATION& n, bool& anAbort);
  int FindSource(const std::string& name) const;

  HFDI FdiContext = nullptr;
  std::string CabinetFileName;
  std::string DestinationFolder;
  std::string NextCabinetName;
  std::string RequestedNextCabinet;
  bool NextCabinetRequested = false;
  ERF ErrorInfo{};
  std::vector<std::string> SourceNames;
  std::vector<std::string> TargetNames;
  std::vector<intptr_t> TargetHandles;
  // An error met inside a notification, raised once the library has returned.
  std::exception_ptr pendingError_;
};

// With '/': one separator appended unless s is empty or ends in one.
std::string AddTrailingBackslash(const std::string& s);
std::string JoinPath(const std::vector<std::string>& parts);

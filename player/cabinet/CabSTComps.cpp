#include "CabSTComps.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <utility>

#include "CabIntf.h"
#include "CabSTConsts.h"
#include "CabinetNames.h"
#include "Files.h"
#include "Shell.h"
#include "Win32Error.h"

namespace {

std::string Hex4(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", static_cast<uint32_t>(value));
  return text;
}

// The system's text without trailing blanks, line breaks and full stops.
std::string OsErrorText(int32_t code) {
  std::string text = platform::SysErrorMessage(static_cast<uint32_t>(code));
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '.'))
    text.pop_back();
  return text;
}

std::string CabinetMessage(const ERF& erf, bool isFCI) {
  std::string message;
  if (erf.fError) {
    message = (isFCI ? FCIErrorText(erf.erfOper) : FDIErrorText(erf.erfOper)) + " [0x" + Hex4(erf.erfOper) + "]";
    if (erf.erfType != 0) message += ".\r\n" + OsErrorText(erf.erfType) + " [0x" + Hex4(erf.erfType) + "].";
  } else {
    message = isFCI ? "FCI error" : "FDI error";
  }
  return message;
}

std::string ExpandFileName(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[4096];
  return ::getcwd(cwd, sizeof cwd) ? AddTrailingBackslash(cwd) + path : path;
}

bool SameName(const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) == 0; }

std::string Text(const char* s) { return s ? s : ""; }

}  // namespace

ESTCabinet::ESTCabinet(const ERF& erf, bool isFCI)
    : Exception(CabinetMessage(erf, isFCI)),
      ErrorCode(erf.erfOper),
      OsError(erf.erfType),
      ErrorPresent(erf.fError != 0),
      IsFCI(isFCI) {}

ESTCabinet::ESTCabinet(const ERF& erf, const std::string& message)
    : Exception(message), ErrorCode(erf.erfOper), OsError(erf.erfType), ErrorPresent(erf.fError != 0), IsFCI(false) {}

std::string AddTrailingBackslash(const std::string& s) { return s.empty() || s.back() == '/' ? s : s + '/'; }

std::string JoinPath(const std::vector<std::string>& parts) {
  std::string result;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    if (result.empty()) {
      result = part;
      continue;
    }
    if (result.back() == '/' && part.front() == '/') {
      result.pop_back();
    } else if (result.back() != '/' && part.front() != '/') {
      result += '/';
    }
    result += part;
  }
  return result;
}

TSTCabReader::TSTCabReader() : ShellOpen(platform::ShellOpenFile) {}

TSTCabReader::~TSTCabReader() {
  try {
    ReleaseContext();
  } catch (const ESTCabinet&) {
    // The context is forgotten all the same.
  }
}

void TSTCabReader::CheckFdiResult(bool ok) {
  if (ok) return;
  ErrorInfo.erfType = cabintf::CabinetIoError;
  throw ESTCabinet(ErrorInfo, false);
}

void TSTCabReader::ReleaseContext() {
  if (!FdiContext) return;
  const bool ok = cabintf::FDIDestroy(FdiContext);
  FdiContext = nullptr;
  CheckFdiResult(ok);
}

void TSTCabReader::ExtractFiles(const std::string& cabinetFile, const std::string& destination,
                                TSTCabExtractFlags flags) {
  CabinetFileName = ExpandFileName(cabinetFile);
  DestinationFolder = AddTrailingBackslash(destination);
  SourceNames.clear();
  TargetNames.clear();
  TargetHandles.clear();
  std::string current = CabinetFileName;
  // A set ends at the first cabinet met again, however it is named, and
  // after as many cabinets as its 16-bit index counts.
  std::set<std::pair<dev_t, ino_t>> visited;
  while (!current.empty() && visited.size() < kMaxCabinetsInSet) {
    struct stat st {};
    if (::stat(current.c_str(), &st) == 0 && !visited.insert({st.st_dev, st.st_ino}).second) break;
    NextCabinetName.clear();
    RequestedNextCabinet.clear();
    NextCabinetRequested = false;
    if (!FdiContext) {
      ErrorInfo = {};
      FdiContext = cabintf::FDICreate(cabintf::CabAlloc, cabintf::CabFree, cabintf::CabOpen, cabintf::CabRead,
                                      cabintf::CabWrite, cabintf::CabClose, cabintf::CabSeek, cpuUNKNOWN, &ErrorInfo);
      CheckFdiResult(FdiContext != nullptr);
    }
    std::string name = platform::ExtractFileName(current);
    std::string folder = platform::ExtractFilePath(current);
    pendingError_ = nullptr;
    const bool ok = cabintf::FDICopy(FdiContext, name.data(), folder.data(), 0, cabintf::CabNotify, nullptr, this);
    if (!ok || pendingError_) CloseOpenTargets();
    if (pendingError_) std::rethrow_exception(std::exchange(pendingError_, nullptr));
    CheckFdiResult(ok);
    if (NextCabinetRequested) {
      current = RequestedNextCabinet;
    } else if (!SameName(NextCabinetName, current)) {
      current = NextCabinetName;
    } else {
      current.clear();
    }
    if (flags.count(TSTCabExtractFlag::SingleCabinet))
      current.clear();
    else if (!current.empty() && !platform::FileExists(current = platform::FindFileIgnoringCase(current)))
      current.clear();
  }
}

void TSTCabReader::CloseOpenTargets() {
  // The library never announces the end of a file it failed on: its target is closed here.
  int32_t ignored = 0;
  for (const intptr_t hf : TargetHandles) cabintf::CabFileClose(hf, &ignored);
  SourceNames.clear();
  TargetNames.clear();
  TargetHandles.clear();
}

intptr_t TSTCabReader::Notify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& n) {
  cabintf::CabinetIoError = 0;
  bool anAbort = false;
  try {
    switch (type) {
      case fdintCABINET_INFO: return CabinetInfo(n, anAbort);
      case fdintPARTIAL_FILE: {
        const int index = FindSource(Text(n.psz1));
        const std::string target = index < 0 ? std::string() : TargetNames[static_cast<size_t>(index)];
        if (OnCopyPartialFile) OnCopyPartialFile(*this, Text(n.psz1), Text(n.psz2), Text(n.psz3), target, anAbort);
        return anAbort ? -1 : 0;
      }
      case fdintCOPY_FILE: return CopyFile(n, anAbort);
      case fdintCLOSE_FILE_INFO: return CloseFile(n, anAbort);
      case fdintNEXT_CABINET: return NextCabinet(n, anAbort);
      default: {
        int32_t result = 0;
        if (OnUnrecognizedNotify) OnUnrecognizedNotify(*this, type, n, result);
        return result;
      }
    }
  } catch (...) {
    // Never through the library's own code: carried out of the copy call instead.
    if (!pendingError_) pendingError_ = std::current_exception();
    return -1;
  }
}

intptr_t TSTCabReader::CabinetInfo(FDINOTIFICATION& n, bool& anAbort) {
  NextCabinetName = Text(n.psz1);
  if (!NextCabinetName.empty()) NextCabinetName = JoinPath({Text(n.psz3), NextCabinetName});
  if (OnCabinetInfo) OnCabinetInfo(*this, Text(n.psz1), Text(n.psz2), Text(n.psz3), n.setID, n.iCabinet, anAbort);
  return anAbort ? -1 : 0;
}

intptr_t TSTCabReader::CopyFile(FDINOTIFICATION& n, bool& anAbort) {
  const std::string source = Text(n.psz1);
  const std::optional<std::string> relative = SafeRelativeName(source);
  if (!relative) {
    ERF refused{FDIERROR_USER_ABORT, 0, 1};
    throw ESTCabinet(refused, "Refused to extract \"" + source + "\": the name leaves the destination folder");
  }
  const size_t slash = relative->find('/');
  if (slash != std::string::npos && ReservedNames.count(relative->substr(0, slash))) {
    ERF refused{FDIERROR_USER_ABORT, 0, 1};
    throw ESTCabinet(refused,
                     "Refused to extract \"" + source + "\": it would make a folder of " + relative->substr(0, slash));
  }
  std::string target = JoinPath({DestinationFolder, *relative});
  if (OnCopyFile) OnCopyFile(*this, source, n.cb, n.date, n.time, n.attribs, n.iFolder, target, anAbort);
  if (anAbort) return -1;
  if (target.empty()) return 0;
  platform::ForceDirectories(platform::ExtractFilePath(target));
  const uint32_t attributes = platform::GetFileAttributes(target);
  if (attributes != platform::INVALID_FILE_ATTRIBUTES && (attributes & platform::FILE_ATTRIBUTE_READONLY)) {
    if (Options.count(TSTCabReaderOption::croDontOverwriteReadOnlyFiles)) return 0;
    platform::SetFileAttributes(target, attributes & ~platform::FILE_ATTRIBUTE_READONLY);
  }
  // A file that can't fit in the free space is refused before anything is written.
  struct statvfs fs {};
  if (::statvfs(platform::ExtractFilePath(target).c_str(), &fs) == 0 &&
      static_cast<uint64_t>(static_cast<uint32_t>(n.cb)) > static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize) {
    cabintf::CabinetIoError = static_cast<int32_t>(platform::ERROR_DISK_FULL);
    return -1;
  }
  // Cut to the extracted length, and never through a link.
  int32_t error = 0;
  const intptr_t hf = cabintf::CabFileOpen(
      target.c_str(), EK_O_BINARY | EK_O_CREAT | EK_O_SEQUENTIAL | EK_O_WRONLY | EK_O_TRUNC, &error, false);
  if (error != 0) cabintf::CabinetIoError = error;
  if (hf == -1) return -1;
  SourceNames.push_back(source);
  TargetNames.push_back(target);
  TargetHandles.push_back(hf);
  return hf;
}

intptr_t TSTCabReader::CloseFile(FDINOTIFICATION& n, bool& anAbort) {
  int32_t ignored = 0;
  cabintf::CabFileClose(n.hf, &ignored);
  const std::string source = Text(n.psz1);
  std::string target;
  // The entry of this very handle, when the same name was opened twice.
  const auto own = std::find(TargetHandles.begin(), TargetHandles.end(), n.hf);
  const int index = own != TargetHandles.end() ? static_cast<int>(own - TargetHandles.begin()) : FindSource(source);
  if (index >= 0) {
    target = TargetNames[static_cast<size_t>(index)];
    SourceNames.erase(SourceNames.begin() + index);
    TargetNames.erase(TargetNames.begin() + index);
    TargetHandles.erase(TargetHandles.begin() + index);
    (void)cabintf::SetFileDateTimeAttributes(target.c_str(), n.date, n.time, n.attribs, &ignored);
  }
  bool anExec = n.cb & 1;
  if (OnCloseFile) OnCloseFile(*this, source, n.date, n.time, n.attribs, n.iFolder, anExec, target, anAbort);
  if (anAbort) return -1;
  if (anExec && Options.count(TSTCabReaderOption::croExecuteOnExtract) && !target.empty() && ShellOpen)
    ShellOpen(target);
  return 1;
}

intptr_t TSTCabReader::NextCabinet(FDINOTIFICATION& n, bool& anAbort) {
  intptr_t answer;
  if (OnNextCabinet) {
    std::string path = Text(n.psz3);
    OnNextCabinet(*this, Text(n.psz1), Text(n.psz2), path, n.fdie, anAbort);
    if (anAbort) {
      answer = -1;
    } else {
      path = AddTrailingBackslash(path);
      // The library's buffer holds 256 characters with the terminating NUL.
      if (path.size() >= 256) {
        ERF refused{FDIERROR_USER_ABORT, 0, 1};
        throw ESTCabinet(refused, "The path of the next cabinet is longer than 255 characters: " + path);
      }
      std::memcpy(n.psz3, path.c_str(), path.size() + 1);
      answer = 0;
    }
  } else {
    answer = n.fdie == FDIERROR_NONE ? 0 : -1;
  }
  RequestedNextCabinet = JoinPath({Text(n.psz3), Text(n.psz1)});
  NextCabinetRequested = true;
  return answer;
}

int TSTCabReader::FindSource(const std::string& name) const {
  for (size_t i = 0; i < SourceNames.size(); ++i)
    if (SameName(SourceNames[i], name)) return static_cast<int>(i);
  return -1;
}

#include "CabIntf.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "CabSTComps.h"
#include "CodeFolders.h"
#include "Exception.h"
#include "Files.h"
#include "Win32Error.h"

namespace cabintf {

int32_t CabinetIoError = 0;

namespace {

using FDICreateFn = HFDI (*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int32_t, ERF*);
using FDICopyFn = BOOL (*)(HFDI, char*, char*, int32_t, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
using FDIDestroyFn = BOOL (*)(HFDI);

constexpr std::array<const char*, 9> kEntryPoints{"FCICreate",      "FCIAddFile", "FCIFlushCabinet",
                                                  "FCIFlushFolder", "FCIDestroy", "FDICreate",
                                                  "FDIIsCabinet",   "FDICopy",    "FDIDestroy"};

void* library = nullptr;
std::array<void*, 9> slots{};
std::vector<std::string> folders;

template <typename Fn>
Fn Slot(size_t index) {
  return reinterpret_cast<Fn>(slots[index]);
}

void Store(int32_t* error) {
  if (error) *error = static_cast<int32_t>(platform::GetLastError());
}

// The callbacks' common shell: the worker's error, when there is one, becomes the last one met.
template <typename Worker>
auto Recorded(Worker worker) {
  int32_t error = 0;
  auto result = worker(&error);
  if (error != 0) CabinetIoError = error;
  return result;
}

}  // namespace

void SetLibraryFolders(std::vector<std::string> newFolders) { folders = std::move(newFolders); }

void LoadCabinetLibrary() {
  const std::optional<std::string> path = platform::TrustedFile(
      "cabinet.dll", folders.empty() ? platform::CodeFolders(platform::TCodeOrigin::WrittenByLauncher) : folders);
  if (path) library = ::dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) throw platform::EOSError(platform::ERROR_MOD_NOT_FOUND);
  for (size_t i = 0; i < kEntryPoints.size(); ++i) {
    slots[i] = ::dlsym(library, kEntryPoints[i]);
    if (!slots[i]) {
      ReleaseCabinetLibrary();
      throw platform::EOSError(platform::ERROR_PROC_NOT_FOUND);
    }
  }
}

bool CabinetLibraryLoaded() { return library != nullptr; }

void ReleaseCabinetLibrary() {
  if (library) ::dlclose(library);
  library = nullptr;
}

HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread, PFNWRITE pfnwrite,
               PFNCLOSE pfnclose, PFNSEEK pfnseek, int32_t cpuType, ERF* perf) {
  if (!library) LoadCabinetLibrary();
  return Slot<FDICreateFn>(5)(pfnalloc, pfnfree, pfnopen, pfnread, pfnwrite, pfnclose, pfnseek, cpuType, perf);
}

BOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int32_t flags, PFNFDINOTIFY pfnfdin, PFNFDIDECRYPT pfnfdid,
             void* pvUser) {
  return Slot<FDICopyFn>(7)(hfdi, pszCabinet, pszCabPath, flags, pfnfdin, pfnfdid, pvUser);
}

BOOL FDIDestroy(HFDI hfdi) { return Slot<FDIDestroyFn>(8)(hfdi); }

extern "C" {

void* CabAlloc(uint32_t size) {
  // An allocation that fails answers null, which the library reports as its own failure.
  return size == 0 ? nullptr : std::malloc(size);
}

void CabFree(void* block) { std::free(block); }

intptr_t CabOpen(char* name, int32_t flags, int32_t) {
  return Recorded([&](int32_t* e) { return CabFileOpen(name, flags, e); });
}

uint32_t CabRead(intptr_t hf, void* buffer, uint32_t count) {
  return Recorded([&](int32_t* e) { return CabFileRead(hf, buffer, count, e); });
}

uint32_t CabWrite(intptr_t hf, void* buffer, uint32_t count) {
  return Recorded([&](int32_t* e) { return CabFileWrite(hf, buffer, count, e); });
}

int32_t CabClose(intptr_t hf) {
  return Recorded([&](int32_t* e) { return CabFileClose(hf, e); });
}

int32_t CabSeek(intptr_t hf, int32_t distance, int32_t origin) {
  return Recorded([&](int32_t* e) { return CabFileSeek(hf, distance, origin, e); });
}

intptr_t CabNotify(FDINOTIFICATIONTYPE type, FDINOTIFICATION* notification) {
  return static_cast<TSTCabReader*>(notification->pv)->Notify(type, *notification);
}

}  // extern "C"

intptr_t CabFileOpen(const char* name, int32_t flags, int32_t* error, bool followLinks) {
  using namespace platform;
  uint32_t access = GENERIC_READ;
  if ((flags & 3) == EK_O_WRONLY) access = GENERIC_WRITE;
  if ((flags & 3) >= EK_O_RDWR) access = GENERIC_READ | GENERIC_WRITE;
  const bool create = flags & EK_O_CREAT;
  uint32_t disposition;
  if (create && (flags & EK_O_EXCL)) {
    disposition = CREATE_NEW;
  } else if (flags & EK_O_TRUNC) {
    disposition = create ? CREATE_ALWAYS : TRUNCATE_EXISTING;
  } else {
    disposition = create ? OPEN_ALWAYS : OPEN_EXISTING;
  }
  uint32_t attributes = (flags & EK_O_SHORT_LIVED) && create ? FILE_ATTRIBUTE_TEMPORARY : FILE_ATTRIBUTE_NORMAL;
  if (flags & EK_O_RANDOM) attributes |= FILE_FLAG_RANDOM_ACCESS;
  if (flags & EK_O_SEQUENTIAL) attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
  if ((flags & EK_O_TEMPORARY) && create) attributes |= FILE_FLAG_DELETE_ON_CLOSE;
  if (!followLinks) attributes |= FILE_FLAG_NO_FOLLOW;
  // A name the player did not choose (a cabinet, the next one of a set) is
  // found whatever its letter case, as the disk it was copied from found it;
  // files it creates keep their exact names.
  const std::string path = create ? std::string(name) : FindFileIgnoringCase(name);
  const FileHandle handle = CreateFile(path, access, FILE_SHARE_READ, disposition, attributes);
  if (handle == INVALID_HANDLE_VALUE) {
    Store(error);
    return -1;
  }
  if ((flags & EK_O_APPEND) && SetFilePointer(handle, 0, 2) == -1) {
    Store(error);
    CloseHandle(handle);
    return -1;
  }
  return handle;
}

uint32_t CabFileRead(intptr_t hf, void* buffer, uint32_t count, int32_t* error) {
  const int64_t n = platform::ReadFile(hf, buffer, count);
  if (n < 0) {
    Store(error);
    return static_cast<uint32_t>(-1);
  }
  return static_cast<uint32_t>(n);
}

uint32_t CabFileWrite(intptr_t hf, const void* buffer, uint32_t count, int32_t* error) {
  const int64_t n = platform::WriteFile(hf, buffer, count);
  if (n < 0) {
    Store(error);
    return static_cast<uint32_t>(-1);
  }
  return static_cast<uint32_t>(n);
}

int32_t CabFileClose(intptr_t hf, int32_t* error) {
  if (!platform::CloseHandle(hf)) {
    Store(error);
    return -1;
  }
  return 0;
}

int32_t CabFileSeek(intptr_t hf, int32_t distance, int32_t origin, int32_t* error) {
  const int64_t position = platform::SetFilePointer(hf, distance, origin);
  if (position < 0 || position > INT32_MAX) {
    Store(error);
    return -1;
  }
  return static_cast<int32_t>(position);
}

int32_t SetFileDateTimeAttributes(const char* name, uint16_t date, uint16_t time, uint16_t attributes, int32_t* error) {
  using namespace platform;
  const FileHandle handle = CreateFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_FOLLOW);
  if (handle == INVALID_HANDLE_VALUE) {
    Store(error);
    return 0;
  }
  std::tm local{};
  local.tm_year = 80 + (date >> 9);
  local.tm_mon = ((date >> 5) & 0x0F) - 1;
  local.tm_mday = date & 0x1F;
  local.tm_hour = time >> 11;
  local.tm_min = (time >> 5) & 0x3F;
  local.tm_sec = (time & 0x1F) * 2;
  local.tm_isdst = -1;
  const std::time_t when = std::mktime(&local);
  if (when != -1) {
    // The last-write time; the last-access time stays, and Linux keeps no creation time.
    timeval times[2] = {{when, 0}, {when, 0}};
    struct stat st {};
    if (::fstat(static_cast<int>(handle), &st) == 0) times[0] = {st.st_atim.tv_sec, st.st_atim.tv_nsec / 1000};
    ::futimes(static_cast<int>(handle), times);
  }
  CloseHandle(handle);
  (void)SetFileAttributes(name, attributes & 0x27);
  return 1;
}

}  // namespace cabintf

// The cabinet library: FDI over libmspack. Every file access of libmspack
// goes through the caller's callbacks, and so does its memory.
#include <mspack.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "CabinetTable.h"
#include "FdiContext.h"
#include "MszipFolders.h"
#include "fdi.h"

namespace {

using ekcab::CabinetTableEntry;
using ekcab::Context;
using ekcab::IsCabinet;
using ekcab::kContinuedFromPrev;
using ekcab::kContinuedPrevAndNext;
using ekcab::kContinuedToNext;
using ekcab::ReadFileTable;

// libmspack's file: a handle of the caller's. Extracted data goes to a handle
// the caller answered to fdintCOPY_FILE, named to libmspack by this prefix.
constexpr char kHandlePrefix[] = "\x01handle:";

struct File {
  Context* context;
  intptr_t hf;
  bool ownHandle;  // opened by us, closed by us
  int64_t skip;    // the first bytes written, already there
};

// libmspack hands its system table on in copies of its own, so the context
// is the one of the library call that is running, never found from the table.
thread_local Context* active = nullptr;

class ActiveContext {
 public:
  explicit ActiveContext(Context* c) : saved_(active) { active = c; }
  ~ActiveContext() { active = saved_; }

 private:
  Context* saved_;
};

Context* ContextOf(mspack_system*) { return active; }

mspack_file* SysOpen(mspack_system* self, const char* filename, int mode) {
  Context* c = ContextOf(self);
  intptr_t hf;
  bool own = true;
  if (std::strncmp(filename, kHandlePrefix, sizeof kHandlePrefix - 1) == 0) {
    hf = static_cast<intptr_t>(std::strtoll(filename + sizeof kHandlePrefix - 1, nullptr, 10));
    own = false;
  } else {
    if (mode != MSPACK_SYS_OPEN_READ) return nullptr;
    hf = c->open(const_cast<char*>(filename), EK_O_BINARY | EK_O_RDONLY | EK_O_SEQUENTIAL, 0);
    if (hf == -1) return nullptr;
  }
  auto* file = static_cast<File*>(c->alloc(sizeof(File)));
  if (!file) {
    if (own) c->close(hf);
    return nullptr;
  }
  *file = {c, hf, own, own ? 0 : c->writtenAhead};
  return reinterpret_cast<mspack_file*>(file);
}

void SysClose(mspack_file* f) {
  auto* file = reinterpret_cast<File*>(f);
  if (!file) return;
  if (file->ownHandle) file->context->close(file->hf);
  file->context->free(file);
}

int SysRead(mspack_file* f, void* buffer, int bytes) {
  auto* file = reinterpret_cast<File*>(f);
  if (bytes <= 0) return 0;
  const uint32_t n = file->context->read(file->hf, buffer, static_cast<uint32_t>(bytes));
  return n == static_cast<uint32_t>(-1) ? -1 : static_cast<int>(n);
}

int SysWrite(mspack_file* f, void* buffer, int bytes) {
  auto* file = reinterpret_cast<File*>(f);
  if (bytes <= 0) return 0;
  const int64_t skipped = std::min<int64_t>(file->skip, bytes);
  file->skip -= skipped;
  if (skipped == bytes) return bytes;
  const uint32_t left = static_cast<uint32_t>(bytes - skipped);
  const uint32_t n = file->context->write(file->hf, static_cast<uint8_t*>(buffer) + skipped, left);
  if (n != left) {
    file->context->writeFailed = true;
    return -1;
  }
  return bytes;
}

int SysSeek(mspack_file* f, off_t offset, int mode) {
  auto* file = reinterpret_cast<File*>(f);
  // The callbacks take a signed 32-bit distance: positions past 2 GiB can't be reached.
  if (offset > INT32_MAX || offset < INT32_MIN) return -1;
  const int32_t origin = mode == MSPACK_SYS_SEEK_START ? 0 : mode == MSPACK_SYS_SEEK_CUR ? 1 : 2;
  return file->context->seek(file->hf, static_cast<int32_t>(offset), origin) == -1 ? -1 : 0;
}

off_t SysTell(mspack_file* f) {
  auto* file = reinterpret_cast<File*>(f);
  return file->context->seek(file->hf, 0, 1);
}

void SysMessage(mspack_file*, const char*, ...) {}

void* SysAlloc(mspack_system* self, size_t bytes) {
  if (bytes == 0 || bytes > UINT32_MAX) return nullptr;
  return ContextOf(self)->alloc(static_cast<uint32_t>(bytes));
}

void SysFree(void* pointer) {
  // libmspack frees without naming its system; the context of the allocation is recorded before it.
  if (!pointer) return;
  auto* head = static_cast<Context**>(pointer) - 2;
  (*head)->free(head);
}

void* SysAllocTagged(mspack_system* self, size_t bytes) {
  auto* head = static_cast<Context**>(SysAlloc(self, bytes + 2 * sizeof(Context*)));
  if (!head) return nullptr;
  head[0] = ContextOf(self);
  return head + 2;
}

void SysCopy(void* src, void* dst, size_t bytes) { std::memmove(dst, src, bytes); }

void Fail(Context* c, FDIERROR code) {
  if (!c->erf) return;
  c->erf->erfOper = code;
  c->erf->erfType = 0;
  c->erf->fError = 1;
}

// libmspack's errors in FDI's words, in this one place.
FDIERROR FdiErrorOf(int mspackError, bool writeFailed) {
  if (writeFailed) return FDIERROR_TARGET_FILE;
  switch (mspackError) {
    case MSPACK_ERR_OPEN: return FDIERROR_CABINET_NOT_FOUND;
    case MSPACK_ERR_SIGNATURE: return FDIERROR_NOT_A_CABINET;
    case MSPACK_ERR_NOMEMORY: return FDIERROR_ALLOC_FAIL;
    case MSPACK_ERR_WRITE: return FDIERROR_TARGET_FILE;
    case MSPACK_ERR_DECRUNCH:
    case MSPACK_ERR_CHECKSUM: return FDIERROR_MDI_FAIL;
    default: return FDIERROR_CORRUPT_CABINET;
  }
}

uint16_t DosDate(const mscabd_file& f) {
  return static_cast<uint16_t>(((f.date_y - 1980) << 9) | (f.date_m << 5) | f.date_d);
}
uint16_t DosTime(const mscabd_file& f) {
  return static_cast<uint16_t>((f.time_h << 11) | (f.time_m << 5) | (f.time_s / 2));
}

char* Text(const char* s) { return const_cast<char*>(s ? s : ""); }

class Copy {
 public:
  Copy(Context& c, PFNFDINOTIFY notify, void* pv) : c_(c), notify_(notify), pv_(pv) {}

  BOOL Run(const std::string& name, const std::string& path) {
    mscabd_cabinet* cab = Open(path + name);
    if (!cab) return Fail(FdiErrorOf(c_.cabd->last_error(c_.cabd), false));
    opened_.push_back(cab);
    OpenLoneCabinet(path + name);
    const BOOL ok = Extract(cab, path);
    return ok;
  }

  ~Copy() {
    // Closing one cabinet of a joined set closes them all.
    if (!opened_.empty()) c_.cabd->close(c_.cabd, opened_.front());
    if (loneHandle_ != -1) c_.close(loneHandle_);
  }

 private:
  // A cabinet that is not part of a set has its MSZIP folders decoded by
  // ISA-L as far as they are sound.
  void OpenLoneCabinet(const std::string& fullPath) {
    loneHandle_ = c_.open(const_cast<char*>(fullPath.c_str()), EK_O_BINARY | EK_O_RDONLY | EK_O_SEQUENTIAL, 0);
    if (loneHandle_ != -1) lone_ = mszip::ReadLoneCabinet(LoneBytes());
  }

  mszip::TReadAt LoneBytes() {
    return [this](int64_t offset, void* into, size_t n) -> int64_t {
      if (offset > INT32_MAX || c_.seek(loneHandle_, static_cast<int32_t>(offset), 0) == -1) return -1;
      size_t done = 0;
      while (done < n) {
        const uint32_t got = c_.read(loneHandle_, static_cast<uint8_t*>(into) + done, static_cast<uint32_t>(n - done));
        if (got == static_cast<uint32_t>(-1)) return -1;
        if (got == 0) break;
        done += got;
      }
      return static_cast<int64_t>(done);
    };
  }

  // The file through ISA-L: true when it is whole, with `written` the bytes
  // written when it is not; a failed write is told as libmspack tells it.
  bool CopyFast(const mscabd_file& f, intptr_t hf, int64_t& written) {
    written = 0;
    if (!lone_ || opened_.size() != 1) return false;
    // The folder as libmspack placed the file, which has passed over entries
    // with impossible folder numbers: the file table's number may be another's.
    int folder = 0;
    const mscabd_folder* at = opened_.front()->folders;
    for (; at && at != f.folder; at = at->next) ++folder;
    if (!at) return false;
    const auto result =
        folderReader_.Read(LoneBytes(), *lone_, folder, static_cast<int64_t>(f.offset), static_cast<int64_t>(f.length),
                           [&](const uint8_t* data, size_t n) {
                             if (c_.write(hf, const_cast<uint8_t*>(data), static_cast<uint32_t>(n)) != n) return false;
                             written += static_cast<int64_t>(n);
                             return true;
                           });
    if (result == mszip::TFolderReader::TResult::Ended) c_.writeFailed = true;
    return result == mszip::TFolderReader::TResult::Whole;
  }

  // libmspack keeps the name it was given until the cabinet is closed.
  const char* Keep(const std::string& name) { return names_.emplace_back(name).c_str(); }

  mscabd_cabinet* Open(const std::string& fullPath) {
    mscabd_cabinet* cab = c_.cabd->open(c_.cabd, Keep(fullPath));
    if (cab) table_ = ReadFileTable(c_, fullPath);
    return cab;
  }

  BOOL Fail(FDIERROR code) {
    ::Fail(&c_, code);
    return 0;
  }

  bool Notify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& n, intptr_t* answer = nullptr) {
    n.pv = pv_;
    const intptr_t result = notify_(type, &n);
    if (answer) *answer = result;
    return result != -1;
  }

  bool CabinetInfo(const mscabd_cabinet* cab, const std::string& path) {
    FDINOTIFICATION n{};
    n.psz1 = Text(cab->nextname);
    n.psz2 = Text(cab->nextinfo);
    n.psz3 = const_cast<char*>(path.c_str());
    n.setID = cab->set_id;
    n.iCabinet = cab->set_index;
    return Notify(fdintCABINET_INFO, n);
  }

  BOOL Extract(mscabd_cabinet* cab, const std::string& path) {
    if (!CabinetInfo(cab, path)) return Fail(FDIERROR_USER_ABORT);
    const std::vector<CabinetTableEntry> entries = table_;
    // Only the files that start in this cabinet: merging adds the following ones.
    std::vector<mscabd_file*> files;
    for (mscabd_file* f = cab->files; f; f = f->next) files.push_back(f);
    for (size_t i = 0; i < files.size(); ++i) {
      mscabd_file* f = files[i];
      const uint16_t folder = i < entries.size() ? entries[i].iFolder : 0;
      if (folder == kContinuedFromPrev || folder == kContinuedPrevAndNext) {
        FDINOTIFICATION n{};
        n.psz1 = f->filename;
        n.psz2 = Text(cab->prevname);
        n.psz3 = Text(cab->previnfo);
        if (!Notify(fdintPARTIAL_FILE, n)) return Fail(FDIERROR_USER_ABORT);
        continue;
      }
      if (folder == kContinuedToNext && !FollowSet(cab, path)) return 0;
      if (!CopyFile(*f, folder)) return 0;
    }
    return 1;
  }

  // Appends the next cabinets of the set until the last one opened needs no successor.
  bool FollowSet(mscabd_cabinet* first, std::string path) {
    mscabd_cabinet* last = opened_.back();
    while (last->nextname && last->flags & MSCAB_HDR_NEXTCAB && !continuedAll_) {
      std::vector<char> buffer(256, '\0');
      std::snprintf(buffer.data(), buffer.size(), "%s", path.c_str());
      FDIERROR previous = FDIERROR_NONE;
      mscabd_cabinet* next = nullptr;
      while (!next) {
        FDINOTIFICATION n{};
        n.psz1 = last->nextname;
        n.psz2 = Text(last->nextinfo);
        n.psz3 = buffer.data();
        n.fdie = previous;
        if (!Notify(fdintNEXT_CABINET, n)) {
          Fail(FDIERROR_USER_ABORT);
          return false;
        }
        buffer.back() = '\0';
        path = buffer.data();
        next = c_.cabd->open(c_.cabd, Keep(path + last->nextname));
        if (!next) {
          previous = FdiErrorOf(c_.cabd->last_error(c_.cabd), false);
          continue;
        }
        if (next->set_id != first->set_id || next->set_index != last->set_index + 1 ||
            c_.cabd->append(c_.cabd, last, next) != MSPACK_ERR_OK) {
          c_.cabd->close(c_.cabd, next);
          next = nullptr;
          previous = FDIERROR_WRONG_CABINET;
        }
      }
      opened_.push_back(next);
      if (!CabinetInfo(next, path)) {
        Fail(FDIERROR_USER_ABORT);
        return false;
      }
      // The continued file ends in this cabinet unless its first file goes on again.
      const std::vector<CabinetTableEntry> entries = ReadFileTable(c_, path + last->nextname);
      continuedAll_ = entries.empty() || entries.front().iFolder != kContinuedPrevAndNext;
      last = next;
    }
    return true;
  }

  bool CopyFile(mscabd_file& f, uint16_t folder) {
    FDINOTIFICATION n{};
    n.psz1 = f.filename;
    n.cb = static_cast<int32_t>(f.length);
    n.date = DosDate(f);
    n.time = DosTime(f);
    n.attribs = static_cast<uint16_t>(f.attribs);
    n.iFolder = folder;
    intptr_t hf = 0;
    if (!Notify(fdintCOPY_FILE, n, &hf)) return Fail(FDIERROR_USER_ABORT);
    if (hf == 0) return true;
    c_.writeFailed = false;
    int64_t written = 0;
    if (!CopyFast(f, hf, written)) {
      if (c_.writeFailed) return Fail(FDIERROR_TARGET_FILE);
      const std::string target = kHandlePrefix + std::to_string(hf);
      c_.writtenAhead = written;
      const int extracted = c_.cabd->extract(c_.cabd, &f, target.c_str());
      c_.writtenAhead = 0;
      if (extracted != MSPACK_ERR_OK) {
        Fail(FdiErrorOf(c_.cabd->last_error(c_.cabd), c_.writeFailed));
        return false;
      }
    }
    FDINOTIFICATION close{};
    close.psz1 = f.filename;
    close.hf = hf;
    close.date = n.date;
    close.time = n.time;
    close.attribs = static_cast<uint16_t>(f.attribs & ~_A_EXEC);
    close.iFolder = folder;
    close.cb = (f.attribs & _A_EXEC) ? 1 : 0;
    if (!Notify(fdintCLOSE_FILE_INFO, close)) return Fail(FDIERROR_USER_ABORT);
    return true;
  }

  Context& c_;
  PFNFDINOTIFY notify_;
  void* pv_;
  std::vector<mscabd_cabinet*> opened_;
  std::vector<CabinetTableEntry> table_;
  std::deque<std::string> names_;
  bool continuedAll_ = false;
  intptr_t loneHandle_ = -1;
  std::optional<mszip::TLoneCabinet> lone_;
  mszip::TFolderReader folderReader_;
};

// The decompressor of one copy call, destroyed with everything it left open.
class Decompressor {
 public:
  explicit Decompressor(Context& c) : c_(c) {
    c_.cabd = mspack_create_cab_decompressor(&c_.system);
    // The callbacks are unbuffered reads: large input buffers keep their count down.
    if (c_.cabd) c_.cabd->set_param(c_.cabd, MSCABD_PARAM_DECOMPBUF, 1 << 16);
  }
  ~Decompressor() {
    if (c_.cabd) mspack_destroy_cab_decompressor(c_.cabd);
    c_.cabd = nullptr;
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

 private:
  Context& c_;
};

BOOL FailAlloc(Context* c) {
  Fail(c, FDIERROR_ALLOC_FAIL);
  return 0;
}

}  // namespace

extern "C" {

HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread, PFNWRITE pfnwrite,
               PFNCLOSE pfnclose, PFNSEEK pfnseek, int32_t, ERF* perf) {
  if (!pfnalloc || !pfnfree || !pfnopen || !pfnread || !pfnwrite || !pfnclose || !pfnseek) {
    if (perf) *perf = {FDIERROR_ALLOC_FAIL, 0, 1};
    return nullptr;
  }
  auto* c = static_cast<Context*>(pfnalloc(sizeof(Context)));
  if (!c) {
    if (perf) *perf = {FDIERROR_ALLOC_FAIL, 0, 1};
    return nullptr;
  }
  new (c) Context{};
  ActiveContext running(c);
  c->alloc = pfnalloc;
  c->free = pfnfree;
  c->open = pfnopen;
  c->read = pfnread;
  c->write = pfnwrite;
  c->close = pfnclose;
  c->seek = pfnseek;
  c->erf = perf;
  c->system = {SysOpen,    SysClose,       SysRead, SysWrite, SysSeek, SysTell,
               SysMessage, SysAllocTagged, SysFree, SysCopy,  nullptr};
  return c;
}

BOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int32_t, PFNFDINOTIFY pfnfdin, PFNFDIDECRYPT,
             void* pvUser) {
  auto* c = static_cast<Context*>(hfdi);
  if (!c || !pszCabinet || !pfnfdin) return 0;
  ActiveContext running(c);
  // A decompressor of its own for every copy call: one that failed keeps the
  // state and the open cabinet of its folder, which must never serve the next.
  Decompressor decompressor(*c);
  if (!c->cabd) return FailAlloc(c);
  BOOL ok;
  {
    Copy copy(*c, pfnfdin, pvUser);
    ok = copy.Run(pszCabinet, pszCabPath ? pszCabPath : "");
  }
  return ok;
}

BOOL FDIDestroy(HFDI hfdi) {
  auto* c = static_cast<Context*>(hfdi);
  if (!c) return 0;
  ActiveContext running(c);
  PFNFREE release = c->free;
  c->~Context();
  release(c);
  return 1;
}

BOOL FDIIsCabinet(HFDI hfdi, intptr_t hf, FDICABINETINFO* pfdici) {
  auto* c = static_cast<Context*>(hfdi);
  if (!c || !pfdici) return 0;
  ActiveContext running(c);
  return IsCabinet(*c, hf, *pfdici) ? 1 : 0;
}

HFCI FCICreate(ERF* perf, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*) {
  // This library decompresses only.
  if (perf) *perf = {FCIERR_CAB_FILE, 0, 1};
  return nullptr;
}
BOOL FCIAddFile(HFCI, char*, char*, BOOL, void*, void*, void*, uint16_t) { return 0; }
BOOL FCIFlushCabinet(HFCI, BOOL, void*, void*) { return 0; }
BOOL FCIFlushFolder(HFCI, void*, void*) { return 0; }
BOOL FCIDestroy(HFCI) { return 0; }

}  // extern "C"

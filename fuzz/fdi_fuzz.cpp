// The cabinet library through its FDI interface, as any client calls it,
// with every file in memory: the input is the cabinet (and, under any other
// name asked for, the next one of its set). Checks the contract on every
// callback: no handle used after it was closed, none of the library's own
// left open when the copy call returns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fdi.h"

namespace {

struct MemoryFile {
  const std::vector<uint8_t>* data = nullptr;  // read side; null for a target
  std::vector<uint8_t> written;
  size_t position = 0;
  bool openedByLibrary = false;
};

std::vector<uint8_t> input;
std::map<intptr_t, MemoryFile> files;
intptr_t nextHandle = 100;

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "contract broken: %s\n", what);
  std::abort();
}

MemoryFile& Open(intptr_t hf) {
  const auto found = files.find(hf);
  if (found == files.end()) Broken("a handle used that is not open");
  return found->second;
}

void* Alloc(uint32_t size) { return size == 0 ? nullptr : std::malloc(size); }
void Free(void* block) { std::free(block); }

intptr_t OpenFile(char* name, int32_t flags, int32_t) {
  if (!name) Broken("open without a name");
  if ((flags & 3) != EK_O_RDONLY) return -1;  // the library writes only into handles it was given
  const intptr_t hf = nextHandle++;
  files[hf] = {&input, {}, 0, true};
  return hf;
}

uint32_t Read(intptr_t hf, void* buffer, uint32_t count) {
  MemoryFile& f = Open(hf);
  if (!f.data) Broken("a target read");
  const size_t n = std::min<size_t>(count, f.data->size() - std::min(f.position, f.data->size()));
  if (n) std::memcpy(buffer, f.data->data() + f.position, n);
  f.position += n;
  return static_cast<uint32_t>(n);
}

uint32_t Write(intptr_t hf, void* buffer, uint32_t count) {
  MemoryFile& f = Open(hf);
  if (f.data) Broken("a cabinet written");
  // Movies are at most some hundred megabytes; a bomb stops here.
  if (f.written.size() + count > (64u << 20)) return static_cast<uint32_t>(-1);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  f.written.insert(f.written.end(), bytes, bytes + count);
  return count;
}

int32_t Close(intptr_t hf) {
  Open(hf);
  files.erase(hf);
  return 0;
}

int32_t Seek(intptr_t hf, int32_t distance, int32_t origin) {
  MemoryFile& f = Open(hf);
  const int64_t size = f.data ? static_cast<int64_t>(f.data->size()) : static_cast<int64_t>(f.written.size());
  const int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<int64_t>(f.position) : size;
  if (origin < 0 || origin > 2 || base + distance < 0) return -1;
  f.position = static_cast<size_t>(base + distance);
  return static_cast<int32_t>(f.position);
}

intptr_t Notify(FDINOTIFICATIONTYPE type, FDINOTIFICATION* n) {
  switch (type) {
    case fdintCOPY_FILE: {
      if (!n->psz1) Broken("a file without a name");
      const intptr_t hf = nextHandle++;
      files[hf] = {nullptr, {}, 0, false};
      return hf;
    }
    case fdintCLOSE_FILE_INFO:
      Open(n->hf);
      files.erase(n->hf);
      return 1;
    case fdintNEXT_CABINET:
      if (!n->psz1 || !n->psz3) Broken("a next cabinet without a name or path");
      return n->fdie == FDIERROR_NONE ? 0 : -1;
    default: return 0;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  input.assign(data, data + size);
  files.clear();
  ERF erf{};
  HFDI context = FDICreate(Alloc, Free, OpenFile, Read, Write, Close, Seek, cpuUNKNOWN, &erf);
  if (!context) Broken("no context");
  char name[] = "input.cab";
  char path[] = "memory/";
  const BOOL ok = FDICopy(context, name, path, 0, Notify, nullptr, nullptr);
  if (!ok && !erf.fError) Broken("a failed copy call without an error");
  for (const auto& [hf, file] : files)
    if (file.openedByLibrary) Broken("a cabinet left open after the copy call");
  if (!FDIDestroy(context)) Broken("the context could not be destroyed");
  files.clear();
  return 0;
}

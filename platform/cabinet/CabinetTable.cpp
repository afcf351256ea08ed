#include "CabinetTable.h"

#include <cstring>

namespace ekcab {
namespace {

constexpr size_t kHeaderBytes = 36;
constexpr size_t kFileEntryBytes = 16;
constexpr size_t kMaxNameBytes = 257;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool ReadAt(Context& c, intptr_t hf, uint32_t offset, uint8_t* buffer, uint32_t count, uint32_t& got) {
  if (offset > INT32_MAX || c.seek(hf, static_cast<int32_t>(offset), 0) == -1) return false;
  got = c.read(hf, buffer, count);
  return got != static_cast<uint32_t>(-1);
}

}  // namespace

std::vector<CabinetTableEntry> ReadFileTable(Context& c, const std::string& path) {
  std::vector<CabinetTableEntry> entries;
  const intptr_t hf = c.open(const_cast<char*>(path.c_str()), EK_O_BINARY | EK_O_RDONLY | EK_O_SEQUENTIAL, 0);
  if (hf == -1) return entries;
  uint8_t header[kHeaderBytes];
  uint32_t got = 0;
  if (ReadAt(c, hf, 0, header, kHeaderBytes, got) && got == kHeaderBytes && std::memcmp(header, "MSCF", 4) == 0) {
    const uint32_t filesAt = U32(header + 16);
    const uint16_t files = U16(header + 28);
    std::vector<uint8_t> table(static_cast<size_t>(files) * (kFileEntryBytes + kMaxNameBytes));
    if (!table.empty() && ReadAt(c, hf, filesAt, table.data(), static_cast<uint32_t>(table.size()), got)) {
      size_t at = 0;
      for (uint16_t i = 0; i < files && at + kFileEntryBytes <= got; ++i) {
        entries.push_back({U16(&table[at + 8])});
        at += kFileEntryBytes;
        while (at < got && table[at] != 0) ++at;
        ++at;
      }
    }
  }
  c.close(hf);
  return entries;
}

bool IsCabinet(Context& c, intptr_t hf, FDICABINETINFO& info) {
  uint8_t header[kHeaderBytes];
  uint32_t got = 0;
  if (!ReadAt(c, hf, 0, header, kHeaderBytes, got) || got != kHeaderBytes || std::memcmp(header, "MSCF", 4) != 0)
    return false;
  const uint16_t flags = U16(header + 30);
  info.cbCabinet = static_cast<int32_t>(U32(header + 8));
  info.cFolders = U16(header + 26);
  info.cFiles = U16(header + 28);
  info.setID = U16(header + 32);
  info.iCabinet = U16(header + 34);
  info.fReserve = (flags & 4) != 0;
  info.hasprev = (flags & 1) != 0;
  info.hasnext = (flags & 2) != 0;
  return true;
}

}  // namespace ekcab

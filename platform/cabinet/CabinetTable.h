// The few header fields that libmspack does not tell: which files continue
// from or into the neighbouring cabinets of a set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FdiContext.h"

namespace ekcab {

inline constexpr uint16_t kContinuedFromPrev = 0xFFFD;
inline constexpr uint16_t kContinuedToNext = 0xFFFE;
inline constexpr uint16_t kContinuedPrevAndNext = 0xFFFF;

struct CabinetTableEntry {
  uint16_t iFolder;
};

// The folder index of each file entry, in file order, read through the
// caller's callbacks; empty when the header can't be read.
std::vector<CabinetTableEntry> ReadFileTable(Context& context, const std::string& path);

bool IsCabinet(Context& context, intptr_t hf, FDICABINETINFO& info);

}  // namespace ekcab

#include "CabSTConsts.h"

#include <array>

std::string FDIErrorText(int32_t code) {
  static constexpr std::array<const char*, 12> kTexts{
      "No error",
      "Cabinet not found",
      "Cabinet file does not have the correct format",
      "Cabinet file has an unknown version number",
      "Cabinet file is corrupt",
      "Could not allocate enough memory",
      "Unknown compression type in a cabinet folder",
      "Failure decompressing data from a cabinet file",
      "Failure writing to target file",
      "Cabinets in a set do not have the same RESERVE sizes",
      "Cabinet returned on fdintNEXT_CABINET is incorrect",
      "FDI aborted",
  };
  return code >= 0 && static_cast<size_t>(code) < kTexts.size() ? kTexts[static_cast<size_t>(code)] : "FDI error";
}

std::string FCIErrorText(int32_t code) {
  static constexpr std::array<const char*, 9> kTexts{
      "No error",
      "Failure opening file to be stored in cabinet",
      "Failure reading file to be stored in cabinet",
      "Out of memory in FCI",
      "Could not create a temporary file",
      "Unknown compression type",
      "Could not create cabinet file",
      "Client requested abort",
      "Failure compressing data",
  };
  return code >= 0 && static_cast<size_t>(code) < kTexts.size() ? kTexts[static_cast<size_t>(code)] : "FCI error";
}

#include "Resources.h"

// The resource table and the bytes themselves come from the assembly file
// that the build writes (resources.S): one entry a resource, then a null one.
struct TResourceEntry {
  const char* type;
  const char* name;
  const uint8_t* begin;
  const uint8_t* end;
};
extern "C" const TResourceEntry ek_resource_table[];

std::optional<TResource> FindResource(std::string_view type, std::string_view name) {
  for (const TResourceEntry* entry = ek_resource_table; entry->type; ++entry)
    if (type == entry->type && name == entry->name)
      return TResource{entry->begin, static_cast<size_t>(entry->end - entry->begin)};
  return std::nullopt;
}

// Bytes embedded in the program at build time, found by type and name the
// way the platform's resource lookup finds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

struct TResource {
  const uint8_t* bytes;
  size_t size;
};

// None when the program carries no resource of that type and name.
std::optional<TResource> FindResource(std::string_view type, std::string_view name);

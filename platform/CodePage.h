// Texts of the movie file are in the Windows-1251 code page.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string Cp1251ToUtf8(std::string_view text);

}  // namespace platform

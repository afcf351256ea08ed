// Texts of the movie file are in the Windows-1251 code page.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string Cp1251ToUtf8(std::string_view text);
// A file name's bytes as UTF-8 text to show: as they are when they are UTF-8
// already, else read as Windows-1251, the code page these movies come from.
std::string FileNameText(std::string_view name);

}  // namespace platform

// Text as a JSON string, for the converter's reports.
#pragma once

#include <string>

// Quoted, with quotes, backslashes and control characters escaped; other
// bytes, UTF-8 included, as they are.
std::string JsonString(const std::string& text);

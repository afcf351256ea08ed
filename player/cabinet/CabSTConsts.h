// The texts of the cabinet reader's errors.
#pragma once

#include <cstdint>
#include <string>

std::string FDIErrorText(int32_t code);
std::string FCIErrorText(int32_t code);

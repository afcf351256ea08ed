#pragma once

#include <vector>

#include "MessageBox.h"

struct MessageBoxRecorder {
  static std::vector<platform::MessageBoxRequest> boxes;
};

#include "Screen.h"

namespace platform {
namespace {
ScreenMetrics current;
}

const ScreenMetrics& Screen() { return current; }
void SetScreen(const ScreenMetrics& metrics) { current = metrics; }

}  // namespace platform

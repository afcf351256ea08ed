#include "MessageBox.h"

#include <cstdio>

namespace platform {
namespace {
MessageBoxHandler handler;
}

void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
  const MessageBoxRequest request{text, caption, icon};
  if (handler) {
    handler(request);
  } else {
    std::fprintf(stderr, "%s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ", text.c_str());
  }
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler newHandler) {
  std::swap(handler, newHandler);
  return newHandler;
}

}  // namespace platform

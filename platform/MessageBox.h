// Message boxes behind one function: the program shows them with its window
// toolkit, tests record them.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class MessageIcon { None, Information, Error };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
};

using MessageBoxHandler = std::function<void(const MessageBoxRequest&)>;

// Shows a modal box with one OK button and returns when it is closed.
void MessageBox(const std::string& text, const std::string& caption = "", MessageIcon icon = MessageIcon::None);
// Returns the handler that was in place. Without one, boxes go to standard error.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform

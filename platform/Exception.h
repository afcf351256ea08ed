// The general error type of the program and the stream layer's errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EReadError : public Exception {
 public:
  EReadError() : Exception("Stream read error") {}
};

class EWriteError : public Exception {
 public:
  EWriteError() : Exception("Stream write error") {}
};

class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

// An operating-system failure, worded like the framework's "Win32 Error".
class EOSError : public Exception {
 public:
  explicit EOSError(uint32_t code);
  uint32_t ErrorCode() const { return code_; }

 private:
  uint32_t code_;
};

}  // namespace platform

// A compiled help file read with chmlib: its pages and pictures by path, and
// the topic it opens at by default.
#pragma once

#include <memory>
#include <optional>
#include <string>

struct chmFile;

class TChmFile {
 public:
  // None when the file can't be opened as compiled help.
  static std::unique_ptr<TChmFile> Open(const std::string& path);
  ~TChmFile();
  TChmFile(const TChmFile&) = delete;
  TChmFile& operator=(const TChmFile&) = delete;

  // The object at a path such as "/ekPlayer_v1_2.htm"; none when there is none.
  std::optional<std::string> Read(const std::string& path) const;
  // The default topic as the file's system record names it ("/index.htm"), or empty.
  std::string DefaultTopic() const;
  const std::string& Path() const { return path_; }

 private:
  TChmFile(chmFile* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  chmFile* handle_;
  std::string path_;
};

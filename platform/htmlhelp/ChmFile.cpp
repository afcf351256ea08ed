#include "ChmFile.h"

#include <chm_lib.h>

#include <cstdint>

std::unique_ptr<TChmFile> TChmFile::Open(const std::string& path) {
  chmFile* handle = chm_open(path.c_str());
  if (!handle) return nullptr;
  return std::unique_ptr<TChmFile>(new TChmFile(handle, path));
}

TChmFile::~TChmFile() { chm_close(handle_); }

std::optional<std::string> TChmFile::Read(const std::string& path) const {
  chmUnitInfo unit{};
  if (chm_resolve_object(handle_, path.c_str(), &unit) != CHM_RESOLVE_SUCCESS) return std::nullopt;
  // Help pages are small; a length beyond this is a damaged file.
  if (unit.length > (64u << 20)) return std::nullopt;
  std::string bytes(static_cast<size_t>(unit.length), '\0');
  const LONGINT64 got = chm_retrieve_object(handle_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                            static_cast<LONGINT64>(unit.length));
  if (got < 0) return std::nullopt;
  bytes.resize(static_cast<size_t>(got));
  return bytes;
}

std::string TChmFile::DefaultTopic() const {
  // The system record: a 4-byte version, then entries of a 16-bit code, a
  // 16-bit length and that many bytes; code 2 holds the default topic.
  const std::optional<std::string> system = Read("/#SYSTEM");
  if (!system) return {};
  const auto u16 = [&](size_t at) {
    return static_cast<size_t>(static_cast<uint8_t>((*system)[at]) | static_cast<uint8_t>((*system)[at + 1]) << 8);
  };
  for (size_t at = 4; at + 4 <= system->size();) {
    const size_t code = u16(at), length = u16(at + 2);
    if (at + 4 + length > system->size()) break;
    if (code == 2) {
      std::string topic = system->substr(at + 4, length);
      topic.resize(topic.find('\0') == std::string::npos ? topic.size() : topic.find('\0'));
      return topic.empty() || topic.front() == '/' ? topic : "/" + topic;
    }
    at += 4 + length;
  }
  return {};
}

#include "CabinetFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace fixtures {

std::string CorpusFolder() {
  for (fs::path dir = fs::current_path(); !dir.empty(); dir = dir.parent_path()) {
    const fs::path candidate = dir / ".." / "shared" / "corpus" / "cab";
    if (fs::is_directory(candidate)) return fs::canonical(candidate).string() + "/";
    if (dir == dir.root_path()) break;
  }
  return {};
}

std::vector<CorpusEntry> CorpusEntries() {
  std::vector<CorpusEntry> entries;
  std::ifstream readme(CorpusFolder() + "../README.md");
  std::string line;
  while (std::getline(readme, line)) {
    if (line.rfind("| ", 0) != 0 || line.find(".cab |") == std::string::npos) continue;
    std::vector<std::string> cells;
    std::stringstream row(line.substr(1));
    std::string cell;
    while (std::getline(row, cell, '|')) {
      const size_t b = cell.find_first_not_of(' '), e = cell.find_last_not_of(' ');
      cells.push_back(b == std::string::npos ? "" : cell.substr(b, e - b + 1));
    }
    if (cells.size() < 3) continue;
    CorpusEntry entry{cells[0], cells[1] == "ok", {}};
    std::stringstream files(cells[2]);
    std::string pair;
    while (files >> pair) {
      const size_t eq = pair.rfind('=');
      if (eq != std::string::npos) entry.md5[pair.substr(0, eq)] = pair.substr(eq + 1);
    }
    entries.push_back(entry);
  }
  return entries;
}

std::string Md5(const std::string& path) {
  std::FILE* pipe = ::popen(("md5sum '" + path + "'").c_str(), "r");
  char sum[33] = {};
  if (pipe) {
    if (std::fread(sum, 1, 32, pipe) != 32) sum[0] = '\0';
    ::pclose(pipe);
  }
  return sum;
}

std::string FreshFolder(const std::string& name) {
  // The test program's own folder, removed when it ends, so that a run of
  // the suite (a program for each test) leaves nothing behind.
  struct TProgramFolder {
    fs::path path = fs::path(testing::TempDir()) / ("ek-" + std::to_string(::getpid()));
    ~TProgramFolder() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  };
  static const TProgramFolder program;
  const fs::path dir = program.path / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string() + "/";
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void MakeCabinet(const std::string& folder, const std::string& cabinet, const std::vector<std::string>& files,
                 bool compress) {
  std::string command = "cd '" + folder + "' && gcab -c " + (compress ? "-z " : "") + "'" + cabinet + "'";
  for (const std::string& f : files) command += " '" + f + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string BuildFolder() { return EK_BUILD_FOLDER "/"; }

}  // namespace fixtures

namespace fixtures {
namespace {

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v);
  Put16(out, v >> 16);
}

}  // namespace

std::string MakeCabinetSet(const std::string& folder, const std::string& name, const std::string& fileName,
                           const std::string& data, int parts) {
  constexpr size_t kBlock = 32768;
  const size_t blocks = (data.size() + kBlock - 1) / kBlock;
  // Cabinets of a set split a data block between them: the first part of
  // the block says no uncompressed size, the second part says the whole.
  struct DataBlock {
    std::string bytes;
    uint32_t uncompressed;
  };
  std::vector<std::vector<DataBlock>> cabinets(static_cast<size_t>(parts));
  size_t part = 0;
  for (size_t b = 0; b < blocks; ++b) {
    const std::string chunk = data.substr(b * kBlock, kBlock);
    const bool boundary = part + 1 < static_cast<size_t>(parts) && b == (part + 1) * blocks / parts;
    if (boundary) {
      cabinets[part].push_back({chunk.substr(0, chunk.size() / 2), 0});
      ++part;
      cabinets[part].push_back({chunk.substr(chunk.size() / 2), static_cast<uint32_t>(chunk.size())});
    } else {
      cabinets[part].push_back({chunk, static_cast<uint32_t>(chunk.size())});
    }
  }
  std::vector<std::string> names;
  for (int p = 0; p < parts; ++p) names.push_back(name + std::to_string(p + 1) + ".cab");
  for (int p = 0; p < parts; ++p) {
    const uint16_t flags = (p > 0 ? 1 : 0) | (p + 1 < parts ? 2 : 0);
    std::string neighbours;
    if (p > 0) neighbours += names[p - 1] + '\0' + "disk" + '\0';
    if (p + 1 < parts) neighbours += names[p + 1] + '\0' + "disk" + '\0';
    const uint32_t headerBytes = 36 + static_cast<uint32_t>(neighbours.size());
    const uint32_t filesAt = headerBytes + 8;
    const uint32_t dataAt = filesAt + 16 + static_cast<uint32_t>(fileName.size()) + 1;
    std::string blocksBytes;
    for (const DataBlock& block : cabinets[p]) {
      Put32(blocksBytes, 0);  // no checksum
      Put16(blocksBytes, static_cast<uint32_t>(block.bytes.size()));
      Put16(blocksBytes, block.uncompressed);
      blocksBytes += block.bytes;
    }
    std::string cab = "MSCF";
    Put32(cab, 0);
    Put32(cab, dataAt + static_cast<uint32_t>(blocksBytes.size()));
    Put32(cab, 0);
    Put32(cab, filesAt);
    Put32(cab, 0);
    cab += '\x03';
    cab += '\x01';
    Put16(cab, 1);  // folders
    Put16(cab, 1);  // files
    Put16(cab, flags);
    Put16(cab, 0x4321);
    Put16(cab, static_cast<uint32_t>(p));
    cab += neighbours;
    Put32(cab, dataAt);
    Put16(cab, static_cast<uint32_t>(cabinets[p].size()));
    Put16(cab, 0);  // stored
    Put32(cab, static_cast<uint32_t>(data.size()));
    Put32(cab, 0);
    Put16(cab, parts == 1 ? 0 : p == 0 ? 0xFFFE : p + 1 == parts ? 0xFFFD : 0xFFFF);
    Put16(cab, (30 << 9) | (6 << 5) | 15);
    Put16(cab, (12 << 11));
    Put16(cab, 0x20);
    cab += fileName + '\0';
    cab += blocksBytes;
    WriteFile(folder + names[p], cab);
  }
  return folder + names[0];
}

}  // namespace fixtures

namespace fixtures {

std::string MakeLinkedCabinet(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files,
                              const std::string& next, uint16_t index) {
  std::string data;
  for (const auto& file : files) data += file.second;
  std::vector<std::string> chunks;
  for (size_t at = 0; at < data.size(); at += 32768) chunks.push_back(data.substr(at, 32768));
  if (chunks.empty()) chunks.emplace_back();
  std::string blocksBytes;
  for (const std::string& chunk : chunks) {
    Put32(blocksBytes, 0);  // no checksum
    Put16(blocksBytes, static_cast<uint32_t>(chunk.size()));
    Put16(blocksBytes, static_cast<uint32_t>(chunk.size()));
    blocksBytes += chunk;
  }
  const std::string neighbours = next.empty() ? std::string() : next + '\0' + "disk" + '\0';
  const uint32_t filesAt = 36 + static_cast<uint32_t>(neighbours.size()) + 8;
  std::string entries;
  uint32_t offset = 0;
  for (const auto& [name, content] : files) {
    Put32(entries, static_cast<uint32_t>(content.size()));
    Put32(entries, offset);
    Put16(entries, 0);  // folder 0, whole in this cabinet
    Put16(entries, (30 << 9) | (6 << 5) | 15);
    Put16(entries, 12 << 11);
    Put16(entries, 0x20);
    entries += name + '\0';
    offset += static_cast<uint32_t>(content.size());
  }
  const uint32_t dataAt = filesAt + static_cast<uint32_t>(entries.size());
  std::string cab = "MSCF";
  Put32(cab, 0);
  Put32(cab, dataAt + static_cast<uint32_t>(blocksBytes.size()));
  Put32(cab, 0);
  Put32(cab, filesAt);
  Put32(cab, 0);
  cab += '\x03';
  cab += '\x01';
  Put16(cab, 1);
  Put16(cab, static_cast<uint32_t>(files.size()));
  Put16(cab, next.empty() ? 0 : 2);
  Put16(cab, 0x4321);
  Put16(cab, index);
  cab += neighbours;
  Put32(cab, dataAt);
  Put16(cab, static_cast<uint32_t>(chunks.size()));
  Put16(cab, 0);  // stored
  cab += entries;
  cab += blocksBytes;
  WriteFile(path, cab);
  return path;
}

}  // namespace fixtures

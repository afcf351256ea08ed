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
  const fs::path dir = fs::path(testing::TempDir()) / ("ek-" + std::to_string(::getpid())) / name;
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

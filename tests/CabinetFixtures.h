// Cabinets for the tests: the third-party corpus beside the checkout, and
// cabinets made here with gcab.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace fixtures {

struct CorpusEntry {
  std::string file;
  bool ok = false;
  std::map<std::string, std::string> md5;  // name as listed → MD5
};

// The corpus folder with its trailing '/', or empty when it is absent.
std::string CorpusFolder();
std::vector<CorpusEntry> CorpusEntries();

std::string Md5(const std::string& path);
// A fresh empty folder below the test's temporary folder, with its trailing '/'.
std::string FreshFolder(const std::string& name);
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
// gcab -c [-z] CABINET FILES... run in folder, so the names keep their folders.
void MakeCabinet(const std::string& folder, const std::string& cabinet, const std::vector<std::string>& files,
                 bool compress);
// The folder of the built cabinet library and test programs.
std::string BuildFolder();

}  // namespace fixtures

namespace fixtures {

// An uncompressed cabinet set holding one file split across `parts`
// cabinets at block boundaries: name1.cab, name2.cab, ... in folder.
// Returns the path of the first.
std::string MakeCabinetSet(const std::string& folder, const std::string& name, const std::string& fileName,
                           const std::string& data, int parts);

}  // namespace fixtures

namespace fixtures {

// A stored cabinet holding whole files that names `next` (no folder) as its
// successor, empty for none, with its index in the set.
std::string MakeLinkedCabinet(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files,
                              const std::string& next = {}, uint16_t index = 0);

}  // namespace fixtures

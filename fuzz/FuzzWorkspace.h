// A private folder for the targets that work on real files, removed at the
// end of the run, with the built cabinet library bound.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "CabIntf.h"

namespace fuzz {

struct TWorkspace {
  std::string root;  // with its trailing '/'
  explicit TWorkspace(const std::string& name) {
    std::string folder = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
    if (!::mkdtemp(folder.data())) std::abort();
    root = folder + "/";
    cabintf::SetLibraryFolders({EK_BUILD_FOLDER "/player/"});
  }
  ~TWorkspace() { std::filesystem::remove_all(root); }
  TWorkspace(const TWorkspace&) = delete;
  TWorkspace& operator=(const TWorkspace&) = delete;
};

}  // namespace fuzz

#include "HelpBinding.h"

#include <dlfcn.h>

#include "CodeFolders.h"

namespace {

void* helpLibrary = nullptr;
THtmlHelpProc htmlHelpProc = nullptr;
std::vector<std::string> folders;

}  // namespace

void SetHelpLibraryFolders(std::vector<std::string> newFolders) { folders = std::move(newFolders); }

void LoadHelpLibrary() {
  ReleaseHelpLibrary();
  const std::optional<std::string> path = platform::TrustedFile(
      "HHCtrl.OCX", folders.empty() ? platform::CodeFolders(platform::TCodeOrigin::Installed) : folders);
  if (path) helpLibrary = ::dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (helpLibrary) htmlHelpProc = reinterpret_cast<THtmlHelpProc>(::dlsym(helpLibrary, "HtmlHelpA"));
}

void ReleaseHelpLibrary() {
  htmlHelpProc = nullptr;
  if (helpLibrary) ::dlclose(helpLibrary);
  helpLibrary = nullptr;
}

THtmlHelpProc HtmlHelpProc() { return htmlHelpProc; }

void ShowHelp(QWidget* owner, const std::string& path) {
  if (htmlHelpProc) (void)htmlHelpProc(owner, path.c_str(), HH_DISPLAY_TOPIC, 0);
}

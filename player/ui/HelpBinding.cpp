#include "HelpBinding.h"

#include <dlfcn.h>

#include "Files.h"

namespace {

void* helpLibrary = nullptr;
THtmlHelpProc htmlHelpProc = nullptr;
std::vector<std::string> folders;

}  // namespace

void SetHelpLibraryFolders(std::vector<std::string> newFolders) { folders = std::move(newFolders); }

void LoadHelpLibrary() {
  ReleaseHelpLibrary();
  const std::vector<std::string> places =
      folders.empty() ? std::vector<std::string>{platform::ProgramFolder(), platform::InstalledLibraryFolder()}
                      : folders;
  for (const std::string& folder : places) {
    helpLibrary = ::dlopen((folder + "HHCtrl.OCX").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (helpLibrary) break;
  }
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

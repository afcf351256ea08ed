#include "VideoWriter.h"

#include <dlfcn.h>

#include "CodeFolders.h"
#include "Exception.h"
#include "Files.h"

bool TVideoWriter::KnownExtension(const std::string& path) {
  const std::string ext = platform::LowerFileExt(path);
  return ext == ".mp4" || ext == ".mkv" || ext == ".webm" || ext == ".gif";
}

bool TVideoWriter::LosslessExtension(const std::string& path) {
  const std::string ext = platform::LowerFileExt(path);
  return ext == ".mp4" || ext == ".mkv";
}

std::unique_ptr<TVideoWriter> TVideoWriter::Open(const std::string& path, int width, int height, bool lossless,
                                                 const std::vector<TChapter>& chapters) {
  // Beside the program, then in the installed program's private folder; kept
  // loaded until the program ends.
  static void* module = nullptr;
  std::string tried;
  if (!module) {
    const std::optional<std::string> modulePath =
        platform::TrustedFile("ekconvert-video.so", platform::CodeFolders(platform::TCodeOrigin::Installed));
    if (modulePath) module = ::dlopen(modulePath->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!modulePath)
      tried = ": no folder that only you and root can write holds ekconvert-video.so";
    else if (!module)
      tried = std::string(": ") + ::dlerror();
  }
  const auto open = module ? reinterpret_cast<TOpenVideo>(::dlsym(module, "ekconvert_OpenVideo")) : nullptr;
  if (!open) throw platform::Exception("the video module can't be loaded" + tried);
  return std::unique_ptr<TVideoWriter>(open(path, width, height, lossless, chapters));
}

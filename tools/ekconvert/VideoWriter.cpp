#include "VideoWriter.h"

#include <dlfcn.h>

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
  for (const std::string& folder : {platform::ProgramFolder(), platform::InstalledLibraryFolder()}) {
    if (module) break;
    module = ::dlopen((folder + "ekconvert-video.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) tried += std::string("; ") + ::dlerror();
  }
  const auto open = module ? reinterpret_cast<TOpenVideo>(::dlsym(module, "ekconvert_OpenVideo")) : nullptr;
  if (!open) throw platform::Exception("the video module can't be loaded" + tried);
  return std::unique_ptr<TVideoWriter>(open(path, width, height, lossless, chapters));
}

#include "MovieFiles.h"

#include "Files.h"

bool IsBareMovie(const std::string& path) { return platform::LowerFileExt(path) == ".~ekflm"; }

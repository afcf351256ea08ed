// The folder of the text caches: $XDG_CACHE_HOME/ekPlayer/text, or
// ~/.cache/ekPlayer/text. It is made the user's alone, and refused when
// anyone else could write it or what leads to it is not the user's or root's.
#pragma once

#include <string>

// Made when missing. Throws platform::Exception saying why it can't be used.
std::string TextCacheFolder();

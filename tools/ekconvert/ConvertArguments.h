// The converter's command line: the command, the names it takes and its
// options, checked before anything is read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FramePoint.h"

struct TConvertArguments {
  std::string command;
  std::vector<std::string> positional;
  bool json = false;
  bool noCursor = false;
  bool lossless = false;
  bool salvage = false;
  std::optional<int> segment;  // from 1 as given
  std::optional<TFramePoint> from, to;
  int size = 256;  // of a thumbnail's longer side
  int jobs = 1;    // movies read at a time by a search
};

// Wrong usage: the message and exit status 2.
struct TUsageError {
  std::string message;
};

// The program's arguments as main is given them; throws TUsageError.
TConvertArguments ParseArguments(int argc, const char* const* argv);

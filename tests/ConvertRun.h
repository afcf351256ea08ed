// The converter run as a script runs it: its exit status and what it printed.
#pragma once

#include <string>

namespace fixtures {

struct ConvertRun {
  int status = -1;  // exit status, or -1 after a signal
  std::string out, err;
};

// Runs the built ekconvert with the arguments as a shell would split them.
ConvertRun Convert(const std::string& arguments);

}  // namespace fixtures

#include "ConvertRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "CabinetFixtures.h"

namespace fixtures {

ConvertRun Convert(const std::string& arguments) {
  static int counter = 0;
  const std::string errFile =
      testing::TempDir() + "ekconvert-err-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  std::FILE* pipe = ::popen((BuildFolder() + "player/ekconvert " + arguments + " 2>" + errFile).c_str(), "r");
  ConvertRun run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadFile(errFile);
  std::filesystem::remove(errFile);
  return run;
}

}  // namespace fixtures

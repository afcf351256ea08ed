#include "Shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace platform {

bool ShellExecute(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  const int failed = posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) return false;
  // Nobody waits for a started program, but its end is collected: no zombie stays behind.
  std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
  return true;
}

void ShellOpenFile(const std::string& path) { (void)ShellExecute("xdg-open", {path}); }

}  // namespace platform

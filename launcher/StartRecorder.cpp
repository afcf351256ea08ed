// Stands in for the player in the launcher's tests: writes its arguments and
// its current folder, one a line, to the file named by EK_START_RECORD.
#include <unistd.h>

#include <cstdlib>
#include <fstream>

int main(int argc, char** argv) {
  const char* record = std::getenv("EK_START_RECORD");
  if (!record) return 1;
  std::ofstream out(record);
  char folder[4096];
  out << (::getcwd(folder, sizeof folder) ? folder : "") << '\n';
  for (int i = 1; i < argc; ++i) out << argv[i] << '\n';
  return 0;
}

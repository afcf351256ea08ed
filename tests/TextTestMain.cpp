// The text tests draw their movies' words with Qt, which needs a
// QGuiApplication; offscreen, as no window is shown. Each test's text cache
// lives in a folder of its own that is removed when the program ends.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  char folder[] = "/tmp/ek_text_tests.XXXXXX";
  if (!::mkdtemp(folder)) return 1;
  ::setenv("XDG_CACHE_HOME", folder, 1);
  ::testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return status;
}

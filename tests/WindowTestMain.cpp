// Window tests run the real windows offscreen; message boxes are recorded.
#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "MessageBoxRecorder.h"

std::vector<platform::MessageBoxRequest> MessageBoxRecorder::boxes;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // A private temporary folder per test process: tests that open movies run in parallel.
  char base[] = "/tmp/ek-window-test-XXXXXX";
  const bool made = ::mkdtemp(base) != nullptr;
  if (made) {
    ::setenv("TMPDIR", base, 1);
    // The user's settings (the open dialog's folder) stay out of the real home.
    ::setenv("XDG_CONFIG_HOME", (std::string(base) + "/config").c_str(), 1);
    // And the text read off movies out of the real cache.
    ::setenv("XDG_CACHE_HOME", (std::string(base) + "/cache").c_str(), 1);
  }
  QApplication application(argc, argv);
  platform::SetMessageBoxHandler([](const platform::MessageBoxRequest& r) { MessageBoxRecorder::boxes.push_back(r); });
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ignored;
  if (made) std::filesystem::remove_all(base, ignored);
  return result;
}

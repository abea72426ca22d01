// Test entry point: every core test runs with KELVORA_HOME in a fresh temporary folder.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string tmpl = (std::filesystem::temp_directory_path() / "kelvora-test-XXXXXX").string();
  if (char* dir = mkdtemp(tmpl.data())) {
    setenv("KELVORA_HOME", dir, 1);
  }
  int rc = RUN_ALL_TESTS();
  if (const char* home = std::getenv("KELVORA_HOME")) {
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
  }
  return rc;
}

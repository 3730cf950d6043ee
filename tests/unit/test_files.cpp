#include "tests/unit/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

namespace lr::testing {

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "x";
  path_ = std::filesystem::temp_directory_path() /
          ("lr-test-" + std::to_string(counter++) + "-" + name);
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(path, bytes).ok) << path;
  return bytes;
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  OutFile f;
  ASSERT_TRUE(f.Open(path).ok);
  ASSERT_TRUE(f.Write(bytes).ok);
  ASSERT_TRUE(f.Close().ok);
}

std::string Hex(std::string_view spaced) {
  std::string out;
  for (size_t i = 0; i < spaced.size();) {
    if (spaced[i] == ' ') {
      ++i;
      continue;
    }
    out += static_cast<char>(std::stoi(std::string(spaced.substr(i, 2)), nullptr, 16));
    i += 2;
  }
  return out;
}

}  // namespace lr::testing

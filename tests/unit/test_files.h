// A scratch folder per test, removed afterwards, and byte helpers for file tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/file.h"

namespace lr::testing {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// "49 50 B5" -> the bytes 0x49 0x50 0xB5.
std::string Hex(std::string_view spaced_hex);

}  // namespace lr::testing

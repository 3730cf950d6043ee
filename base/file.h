// Whole-file reading and line-by-line writing with the system's reason on failure.
//
// Paths are std::filesystem::path so that names from Windows file dialogs stay UTF-16 end
// to end; on Linux they are plain byte paths.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace lr {

// The outcome of a file operation: ok, or the system's reason in words.
struct FileStatus {
  bool ok = true;
  int error = 0;       // errno value when !ok
  std::string reason;  // the system's text for `error`

  static FileStatus Failed(int error);
  explicit operator bool() const { return ok; }
};

// Reads the whole file into `out`. On failure `out` is left unchanged.
FileStatus ReadWholeFile(const std::filesystem::path& path, std::string& out);

// A file opened for writing (created, or truncated when it exists), closed by the
// destructor. Every Write goes to the operating system before it returns, so the bytes
// written before a failure stay in the file.
class OutFile {
 public:
  enum class Mode { kTruncate, kAppend };
  OutFile() = default;
  ~OutFile();
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;

  FileStatus Open(const std::filesystem::path& path, Mode mode = Mode::kTruncate);
  FileStatus Write(std::string_view bytes);
  FileStatus Close();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace lr

// Files as both programs write them: one file-handle holder, whole-file reads, appends that
// cut the file back when they fail, and the one routine that replaces a file's contents
// (the settings file on the master and on the clone, Hostprep.exe, the run log) with one
// set of failure rules. Every write is a write point (write_faults.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lr {

// A file handle closed by the holder.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~FileHandle() { Reset(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  // Closes now, as a write point ("file close"): false when the close fails; the handle goes
  // all the same.
  bool Close();
  // Closes now without counting: for handles that write no file (a pipe's end).
  void Reset() {
    if (valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

// The whole file, or nullopt when it is missing or can't be read.
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// Adds `bytes` at the end of `path`, creating it (with `sa`'s access list, nullptr for the
// default) when missing. On failure the file is cut back to `old_size` bytes.
bool AppendFileBytes(const std::wstring& path, std::uintmax_t old_size, std::string_view bytes,
                     SECURITY_ATTRIBUTES* sa);

// Replaces the contents of `path` with `bytes`: they are written to the new file `temp`
// (with `sa`'s access list, or else the access list `path` has) and moved over `path`;
// ReplaceFileW keeps the replaced file's attributes and streams, with "<path>.old~" as its
// backup name. After any failure the file at `path` is whole, the old or the new, and no
// temporary or backup file is left: a replace that failed half way (the original moved
// away or renamed) puts the new file in its place, or else the original back. True when the
// new contents are at `path`; after a failure the last error says why.
bool ReplaceFileBytes(const std::wstring& path, const std::wstring& temp, std::string_view bytes,
                      SECURITY_ATTRIBUTES* sa);

}  // namespace lr

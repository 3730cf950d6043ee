#include "base/file.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace lr {

namespace {

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
  std::wstring wmode(mode, mode + std::strlen(mode));
  return _wfopen(path.c_str(), wmode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

int LastErrno() {
  return errno != 0 ? errno : EIO;
}

}  // namespace

FileStatus FileStatus::Failed(int error) {
  FileStatus s;
  s.ok = false;
  s.error = error;
  s.reason = std::generic_category().message(error);
  return s;
}

FileStatus ReadWholeFile(const std::filesystem::path& path, std::string& out) {
  errno = 0;
  std::FILE* f = OpenPath(path, "rb");
  if (!f) return FileStatus::Failed(LastErrno());
  std::string data;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
  const bool failed = std::ferror(f) != 0;
  const int err = LastErrno();
  std::fclose(f);
  if (failed) return FileStatus::Failed(err);
  out.swap(data);
  return {};
}

OutFile::~OutFile() {
  if (file_) std::fclose(file_);
}

FileStatus OutFile::Open(const std::filesystem::path& path, Mode mode) {
  if (file_) Close();
  errno = 0;
  file_ = OpenPath(path, mode == Mode::kAppend ? "ab" : "wb");
  if (!file_) return FileStatus::Failed(LastErrno());
  return {};
}

FileStatus OutFile::Write(std::string_view bytes) {
  if (!file_) return FileStatus::Failed(EBADF);
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
      std::fflush(file_) != 0) {
    return FileStatus::Failed(LastErrno());
  }
  return {};
}

FileStatus OutFile::Close() {
  if (!file_) return {};
  errno = 0;
  const int rc = std::fclose(file_);
  file_ = nullptr;
  if (rc != 0) return FileStatus::Failed(LastErrno());
  return {};
}

}  // namespace lr

// Profile files on disk: reading a whole file, and the writer that changes one key at a
// time. Kept apart from the parser so that a program that only parses bytes it read itself
// (Hostprep) links none of the file-system machinery.
#include "package/profile.h"

#include <system_error>

#include "base/file.h"
#include "base/gbk.h"

namespace lr {

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void Trim(std::string_view text, size_t& begin, size_t& end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
}

}  // namespace

Profile ReadProfileFile(const std::filesystem::path& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);  // a missing file reads as an empty one
  return Profile::Parse(bytes);
}

bool ProfileFiles::Append(const std::filesystem::path& path, std::uintmax_t old_size,
                          std::string_view bytes) {
  OutFile file;
  FileStatus status = file.Open(path, OutFile::Mode::kAppend);
  if (status) status = file.Write(bytes);
  if (status) status = file.Close();
  if (status) return true;
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) std::filesystem::resize_file(path, old_size, ec);
  return false;
}

bool ProfileFiles::Replace(const std::filesystem::path& path, const std::filesystem::path& temp,
                           std::string_view bytes) {
  OutFile file;
  FileStatus status = file.Open(temp);
  if (status) status = file.Write(bytes);
  if (status) status = file.Close();
  std::error_code ec;
  if (status) std::filesystem::rename(temp, path, ec);
  if (status && !ec) return true;
  std::filesystem::remove(temp, ec);
  return false;
}

namespace {
ProfileFiles g_plain_files;
}  // namespace

ProfileWriter::ProfileWriter(std::filesystem::path path, std::string shown_path,
                             ProfileFiles* files)
    : path_(std::move(path)),
      shown_path_(std::move(shown_path)),
      files_(files ? files : &g_plain_files) {}

bool ProfileWriter::InSync() const {
  if (!loaded_) return false;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path_, ec);
  if (ec) return profile_.text_.empty() && size_on_disk_ == 0;
  const auto time = std::filesystem::last_write_time(path_, ec);
  return !ec && size == size_on_disk_ && time == time_on_disk_;
}

void ProfileWriter::Reload() {
  profile_ = ReadProfileFile(path_);
  loaded_ = true;
  std::error_code ec;
  size_on_disk_ = std::filesystem::file_size(path_, ec);
  if (ec) size_on_disk_ = 0;
  time_on_disk_ = std::filesystem::last_write_time(path_, ec);
}

void ProfileWriter::AppendBytes(const std::string& bytes) {
  const size_t old_size = profile_.text_.size();
  if (!files_->Append(path_, old_size, bytes)) {
    loaded_ = false;
    throw EIniFileException(shown_path_);
  }
  if (profile_.ends_with_line_end_) {
    profile_.text_ += bytes;
    profile_.ParseFrom(old_size);
  } else {
    // The line end just added completes the file's last line, which now ends after it.
    profile_ = Profile::Parse(profile_.text_ + bytes);
  }
  std::error_code ec;
  size_on_disk_ = profile_.text_.size();
  time_on_disk_ = std::filesystem::last_write_time(path_, ec);
}

void ProfileWriter::RewriteWith(std::string bytes) {
  // A rewrite ends the file with a line end, as the platform's writer does.
  if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') bytes += kCrLf;
  std::filesystem::path temp = path_;
  temp += ".new~";
  if (!files_->Replace(path_, temp, bytes)) {
    loaded_ = false;
    throw EIniFileException(shown_path_);
  }
  profile_ = Profile::Parse(bytes);
  std::error_code ec;
  size_on_disk_ = profile_.text_.size();
  time_on_disk_ = std::filesystem::last_write_time(path_, ec);
}

void ProfileWriter::Write(std::string_view section, std::string_view key, std::string_view value) {
  // Blanks around names and values are not kept, as the platform's writer does; a reader
  // trims them anyway.
  size_t b = 0, e = value.size();
  Trim(value, b, e);
  value = value.substr(b, e - b);
  b = 0, e = key.size();
  Trim(key, b, e);
  key = key.substr(b, e - b);
  if (!InSync()) Reload();
  const std::string& text = profile_.text_;
  const std::string line = std::string(key) + "=" + std::string(value) + std::string(kCrLf);
  const std::string lead = profile_.ends_with_line_end_ ? "" : std::string(kCrLf);

  const Profile::Section* s = profile_.FindSection(section);
  if (!s) {
    AppendBytes(lead + "[" + std::string(section) + "]" + std::string(kCrLf) + line);
    return;
  }
  auto it = s->key_index.find(GbkFoldCase(key));
  if (it != s->key_index.end()) {
    const Profile::Key& k = s->keys[it->second];
    std::string bytes = text.substr(0, k.line_begin);
    bytes += k.name + "=" + std::string(value) + std::string(kCrLf);
    bytes += text.substr(k.line_next);
    RewriteWith(std::move(bytes));
    return;
  }
  if (s->content_end == text.size()) {
    AppendBytes(lead + line);
    return;
  }
  std::string bytes = text.substr(0, s->content_end);
  bytes += line;
  bytes += text.substr(s->content_end);
  RewriteWith(std::move(bytes));
}

}  // namespace lr

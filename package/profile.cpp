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

EIniFileException::EIniFileException(const std::string& shown_path)
    : std::runtime_error("Unable to write to " + shown_path) {}

Profile Profile::Parse(std::string_view bytes) {
  Profile p;
  p.text_.assign(bytes);
  p.ParseFrom(0);
  return p;
}

void Profile::ParseFrom(size_t pos) {
  const std::string_view text = text_;
  while (pos < text.size()) {
    const size_t line_begin = pos;
    size_t line_end = text.find_first_of(kCrLf, pos);
    if (line_end == std::string_view::npos) line_end = text.size();
    size_t next = line_end;
    if (next < text.size()) {
      next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
    }
    pos = next;

    size_t begin = line_begin, end = line_end;
    Trim(text, begin, end);
    if (begin == end) continue;

    if (text[begin] == '[') {
      size_t close = text.rfind(']', end - 1);
      size_t name_begin = begin + 1;
      size_t name_end = (close != std::string_view::npos && close > begin) ? close : end;
      Trim(text, name_begin, name_end);
      Section section;
      section.name.assign(text.substr(name_begin, name_end - name_begin));
      section.content_end = next;
      section_index_.try_emplace(GbkFoldCase(section.name), sections_.size());
      sections_.push_back(std::move(section));
      continue;
    }

    if (sections_.empty()) {
      sections_.push_back(Section{});
      section_index_.try_emplace(std::string(), 0);
    }
    Section& section = sections_.back();
    section.content_end = next;

    Key key;
    key.line_begin = line_begin;
    key.line_next = next;
    const size_t eq = text.substr(0, end).find('=', begin);
    size_t key_end = eq == std::string_view::npos ? end : eq;
    size_t key_begin = begin;
    Trim(text, key_begin, key_end);
    key.name.assign(text.substr(key_begin, key_end - key_begin));
    if (eq != std::string_view::npos) {
      key.value_begin = eq + 1;
      key.value_end = end;
      Trim(text, key.value_begin, key.value_end);
    } else {
      key.value_begin = key.value_end = end;
    }
    section.key_index.try_emplace(GbkFoldCase(key.name), section.keys.size());
    section.keys.push_back(std::move(key));
  }
  ends_with_line_end_ = text.empty() || text.back() == '\n' || text.back() == '\r';
}

const Profile::Section* Profile::FindSection(std::string_view name) const {
  auto it = section_index_.find(GbkFoldCase(name));
  return it == section_index_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string> Profile::Get(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  auto it = s->key_index.find(GbkFoldCase(key));
  if (it == s->key_index.end()) return std::nullopt;
  const Key& k = s->keys[it->second];
  std::string_view value =
      std::string_view(text_).substr(k.value_begin, k.value_end - k.value_begin);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, kMaxProfileValue));
}

std::vector<std::string> Profile::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

std::vector<std::string> Profile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* s = FindSection(section))
    for (const Key& k : s->keys) names.push_back(k.name);
  return names;
}

Profile ReadProfileFile(const std::filesystem::path& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);  // a missing file reads as an empty one
  return Profile::Parse(bytes);
}

ProfileWriter::ProfileWriter(std::filesystem::path path, std::string shown_path)
    : path_(std::move(path)), shown_path_(std::move(shown_path)) {}

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
  OutFile file;
  FileStatus status = file.Open(path_, OutFile::Mode::kAppend);
  if (status) status = file.Write(bytes);
  if (status) status = file.Close();
  if (!status) {
    std::error_code ec;
    if (std::filesystem::exists(path_, ec)) std::filesystem::resize_file(path_, old_size, ec);
    loaded_ = false;
    throw EIniFileException(shown_path_);
  }
  profile_.text_ += bytes;
  profile_.ParseFrom(old_size);
  std::error_code ec;
  size_on_disk_ = profile_.text_.size();
  time_on_disk_ = std::filesystem::last_write_time(path_, ec);
}

void ProfileWriter::RewriteWith(std::string bytes) {
  std::filesystem::path temp = path_;
  temp += ".new~";
  OutFile file;
  FileStatus status = file.Open(temp);
  if (status) status = file.Write(bytes);
  if (status) status = file.Close();
  std::error_code ec;
  if (status) std::filesystem::rename(temp, path_, ec);
  if (!status || ec) {
    std::filesystem::remove(temp, ec);
    loaded_ = false;
    throw EIniFileException(shown_path_);
  }
  profile_ = Profile::Parse(bytes);
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

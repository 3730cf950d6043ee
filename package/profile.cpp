#include "package/profile.h"

#include <system_error>

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

std::string Profile::WithoutKey(std::string_view section, std::string_view key) const {
  const std::string folded_section = GbkFoldCase(section), folded_key = GbkFoldCase(key);
  std::string bytes;
  size_t kept = 0;
  for (const Section& s : sections_) {
    if (GbkFoldCase(s.name) != folded_section) continue;
    for (const Key& k : s.keys) {
      if (GbkFoldCase(k.name) != folded_key) continue;
      bytes.append(text_, kept, k.line_begin - kept);
      kept = k.line_next;
    }
  }
  return bytes.append(text_, kept);
}

std::string Profile::WithNewKey(std::string_view section, std::string_view key,
                                std::string_view value) const {
  const std::string line = std::string(key) + "=" + std::string(value) + std::string(kCrLf);
  const std::string lead = ends_with_line_end_ ? "" : std::string(kCrLf);
  const Section* s = FindSection(section);
  if (!s) return text_ + lead + "[" + std::string(section) + "]" + std::string(kCrLf) + line;
  if (s->content_end == text_.size()) return text_ + lead + line;
  return text_.substr(0, s->content_end) + line + text_.substr(s->content_end);
}

}  // namespace lr

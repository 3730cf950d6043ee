// The ARP dump reader.
#include "scanner/arp_dump.h"

#include <string>

namespace lr {

namespace {

std::string_view Cut(std::string_view line, size_t first1, size_t count) {
  const size_t begin = first1 - 1;
  if (begin >= line.size()) return {};
  return line.substr(begin, count);
}

std::string Trim(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return std::string(s.substr(b, e - b));
}

std::string UpperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<HostRecord> ReadArpDump(std::string_view text) {
  std::vector<HostRecord> records;
  const std::vector<std::string_view> lines = SplitLines(text);
  for (size_t i = 3; i < lines.size(); ++i) {
    HostRecord r;
    r.ip = Trim(Cut(lines[i], 1, 18));
    r.mac = UpperAscii(Trim(Cut(lines[i], 18, 26)));
    r.workgroup = kUnknownField;
    r.name = kUnknownField;
    records.push_back(std::move(r));
  }
  return records;
}

}  // namespace lr

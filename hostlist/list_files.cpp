#include "hostlist/list_files.h"

#include <algorithm>

#include "hostlist/csv_list.h"

namespace lr {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Splits at the first space: head before it, tail after it. Without a space the head is
// empty and the tail is the whole text.
void SplitAtFirstSpace(std::string_view text, std::string_view& head, std::string_view& tail) {
  const size_t space = text.find(' ');
  if (space == std::string_view::npos) {
    head = {};
    tail = text;
  } else {
    head = text.substr(0, space);
    tail = text.substr(space + 1);
  }
}

std::string_view TrimTrailingSpaces(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The length of a scanned workgroup name text (Windows pads them with spaces to 15 bytes).
constexpr size_t kNameTextBytes = 15;

// A save-on-exit line after its IP and MAC: workgroup, space, computer name, space.
HostRecord SaveOnExitRecord(std::string_view ip, std::string_view mac, std::string_view rest) {
  std::string_view workgroup, name;
  const size_t space = rest.find(' ');
  // A padded text starts with a name and is followed by the separating space, then by the
  // computer name (which starts at once) or by nothing more than the line's last space.
  const bool padded = rest.size() > kNameTextBytes && rest[kNameTextBytes] == ' ' &&
                      rest[0] != ' ' && rest.substr(0, space) != kUnknownField &&
                      (rest.size() <= kNameTextBytes + 2 || rest[kNameTextBytes + 1] != ' ');
  if (padded) {
    workgroup = rest.substr(0, kNameTextBytes);
    name = rest.substr(kNameTextBytes + 1);
  } else if (space == std::string_view::npos) {
    workgroup = kUnknownField;
    name = rest;
  } else {
    workgroup = rest.substr(0, space);
    name = rest.substr(space + 1);
  }
  if (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return HostRecord{std::string(ip), std::string(mac), std::string(workgroup), std::string(name),
                    std::string()};
}

}  // namespace

std::string_view ListHeader(ListLayout layout) {
  static const std::string kExport = "   IP地址        MAC地址       计算机名  ";
  static const std::string kSave = "   IP地址        MAC地址              工作组     计算机名   ";
  if (layout == ListLayout::kCsv) return CsvHeader();
  return layout == ListLayout::kExport ? kExport : kSave;
}

std::string FormatListLine(ListLayout layout, const HostRecord& r) {
  if (layout == ListLayout::kCsv) return FormatCsvLine(r);
  std::string line;
  line.reserve(r.ip.size() + r.mac.size() + r.workgroup.size() + r.name.size() + 6);
  line += r.ip;
  line += ' ';
  line += r.mac;
  line += ' ';
  if (layout == ListLayout::kSaveOnExit) {
    line += r.workgroup;
    line += ' ';
    line += r.name;
    line += ' ';
  } else {
    line += r.name;
  }
  line += kCrLf;
  return line;
}

ListWriteResult WriteListFile(const std::filesystem::path& path, const HostList& list,
                              ListLayout layout) {
  ListWriteResult result;
  OutFile file;
  result.status = file.Open(path);
  if (!result.status) return result;

  std::string header(ListHeader(layout));
  header += kCrLf;
  result.status = file.Write(header);
  if (!result.status) return result;
  result.lines_written = 1;

  for (size_t i = 0; i < list.Count(); ++i) {
    result.status = file.Write(FormatListLine(layout, list.At(i)));
    if (!result.status) return result;
    ++result.lines_written;
  }
  result.status = file.Close();
  return result;
}

namespace {

// The first line of a text, up to its line end or a NUL byte.
std::string_view FirstLine(std::string_view bytes) {
  return bytes.substr(0, bytes.find_first_of(std::string_view("\r\n\0", 3)));
}

bool IsTextHeader(std::string_view line) {
  line = TrimTrailingSpaces(line);
  return line == TrimTrailingSpaces(ListHeader(ListLayout::kExport)) ||
         line == TrimTrailingSpaces(ListHeader(ListLayout::kSaveOnExit));
}

// Whether a file name ends in `ext` (".csv"), ASCII letter case aside.
bool NameEndsIn(const std::filesystem::path& path, std::string_view ext) {
  const std::filesystem::path::string_type name = path.filename().native();
  if (name.size() < ext.size()) return false;
  for (size_t i = 0; i < ext.size(); ++i) {
    const auto c = name[name.size() - ext.size() + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != ext[i]) return false;
  }
  return true;
}

constexpr std::string_view kTxtExt = ".txt";
constexpr std::string_view kCsvExt = ".csv";

}  // namespace

std::vector<HostRecord> ParseImport(std::string_view bytes) {
  const size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);

  std::vector<HostRecord> records;
  bool first = true;
  bool save_layout = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    std::string_view line = bytes.substr(pos, end == std::string_view::npos ? end : end - pos);
    if (end == std::string_view::npos) {
      pos = bytes.size();
    } else {
      pos = end + 1;
      if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    if (first) {
      first = false;
      save_layout =
          TrimTrailingSpaces(line) == TrimTrailingSpaces(ListHeader(ListLayout::kSaveOnExit));
      continue;
    }
    std::string_view ip, rest, mac, name;
    SplitAtFirstSpace(line, ip, rest);
    SplitAtFirstSpace(rest, mac, name);
    if (save_layout) {
      records.push_back(SaveOnExitRecord(ip, mac, name));
      continue;
    }
    records.push_back(HostRecord{std::string(ip), std::string(mac), kUnknownField,
                                 std::string(name), std::string()});
  }
  return records;
}

ListFileKind ListFileKindOf(const std::filesystem::path& path) {
  return NameEndsIn(path, kCsvExt) ? ListFileKind::kCsv : ListFileKind::kText;
}

ListFileKind ListFileKindOfText(std::string_view bytes, ListFileKind hint, const Utf8ToGbk& utf8) {
  if (IsTextHeader(FirstLine(bytes))) return ListFileKind::kText;
  if (StartsWithCsvHeader(bytes, utf8)) return ListFileKind::kCsv;
  return hint;
}

ListLayout ListSaveLayoutOf(const std::filesystem::path& chosen, ListLayout layout,
                            bool csv_filter) {
  if (layout != ListLayout::kExport) return layout;
  if (NameEndsIn(chosen, kCsvExt)) return ListLayout::kCsv;
  if (NameEndsIn(chosen, kTxtExt)) return layout;
  return csv_filter ? ListLayout::kCsv : layout;
}

ListFileContents ParseListFile(std::string_view bytes, ListFileKind kind, const Utf8ToGbk& utf8) {
  ListFileContents contents;
  if (ListFileKindOfText(bytes, kind, utf8) == ListFileKind::kCsv)
    ParseCsvList(bytes, utf8, contents);
  else
    contents.records = ParseImport(bytes);
  return contents;
}

FileStatus ReadListFile(const std::filesystem::path& path, ListFileKind kind, ListFileContents& out,
                        const Utf8ToGbk& utf8) {
  std::string bytes;
  FileStatus status = ReadWholeFile(path, bytes);
  if (status) out = ParseListFile(bytes, kind, utf8);
  return status;
}

std::string ListFileReport(const ListFileContents& c) {
  constexpr size_t kListed = 20;
  if (c.unread.empty() && c.replaced.empty()) return {};
  using std::to_string;
  std::string text = "已读入 " + to_string(c.records.size()) + " 条记录。";
  if (!c.unread.empty()) {
    text += "\n以下 " + to_string(c.unread.size()) + " 行无法读取，已跳过：";
    for (size_t i = 0; i < std::min(kListed, c.unread.size()); ++i)
      text += "\n第 " + to_string(c.unread[i].line) + " 行：" + c.unread[i].reason;
    if (c.unread.size() > kListed)
      text += "\n另有 " + to_string(c.unread.size() - kListed) + " 行未列出。";
  }
  if (!c.replaced.empty()) {
    text += "\n以下行中有 GBK 无法表示的字符，已换成“?”：";
    for (size_t i = 0; i < std::min(kListed, c.replaced.size()); ++i)
      text += (i ? "、" : "第 ") + to_string(c.replaced[i]);
    text += " 行";
    if (c.replaced.size() > kListed)
      text += "，另有 " + to_string(c.replaced.size() - kListed) + " 行";
    text += "。";
  }
  return text;
}

FileStatus ImportListFile(const std::filesystem::path& path, HostList& list) {
  ListFileContents contents;
  FileStatus status = ReadListFile(path, ListFileKind::kText, contents);
  if (!status) return status;
  for (HostRecord& r : contents.records) list.Append(std::move(r));
  return status;
}

}  // namespace lr

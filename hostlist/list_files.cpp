#include "hostlist/list_files.h"

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

}  // namespace

std::string_view ListHeader(ListLayout layout) {
  static const std::string kExport = "   IP地址        MAC地址       计算机名  ";
  static const std::string kSave = "   IP地址        MAC地址              工作组     计算机名   ";
  return layout == ListLayout::kExport ? kExport : kSave;
}

std::string FormatListLine(ListLayout layout, const HostRecord& r) {
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

std::vector<HostRecord> ParseImport(std::string_view bytes) {
  const size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);

  std::vector<HostRecord> records;
  bool first = true;
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
      continue;
    }
    std::string_view ip, rest, mac, name;
    SplitAtFirstSpace(line, ip, rest);
    SplitAtFirstSpace(rest, mac, name);
    records.push_back(HostRecord{std::string(ip), std::string(mac), kUnknownField,
                                 std::string(name), std::string()});
  }
  return records;
}

FileStatus ImportListFile(const std::filesystem::path& path, HostList& list) {
  std::string bytes;
  FileStatus status = ReadWholeFile(path, bytes);
  if (!status) return status;
  for (HostRecord& r : ParseImport(bytes)) list.Append(std::move(r));
  return status;
}

FileStatus ReadListFile(const std::filesystem::path& path, std::vector<HostRecord>& records) {
  std::string bytes;
  FileStatus status = ReadWholeFile(path, bytes);
  if (status) records = ParseImport(bytes);
  return status;
}

}  // namespace lr

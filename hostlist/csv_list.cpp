#include "hostlist/csv_list.h"

#include <algorithm>
#include <vector>

namespace lr {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr size_t kNone = std::string_view::npos;

// The length of the line break at `pos` (2 for CR LF), 0 when there is none.
size_t LineBreakAt(std::string_view s, size_t pos) {
  if (pos >= s.size()) return 0;
  if (s[pos] == '\n') return 1;
  if (s[pos] == '\r') return pos + 1 < s.size() && s[pos + 1] == '\n' ? 2 : 1;
  return 0;
}

bool NeedsQuotes(std::string_view field) {
  return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void AppendField(std::string& line, std::string_view field) {
  if (!NeedsQuotes(field)) {
    line += field;
    return;
  }
  line += '"';
  for (char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// The separator the first line that isn't empty uses most outside quotes; a comma on a tie
// or when none.
char DetectSeparator(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of("\r\n"), text.size()));
  size_t comma = 0, semicolon = 0, tab = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      if (c == '\r' || c == '\n') break;
      comma += c == ',';
      semicolon += c == ';';
      tab += c == '\t';
    }
  }
  if (semicolon > comma && semicolon >= tab) return ';';
  if (tab > comma && tab > semicolon) return '\t';
  return ',';
}

struct CsvRecord {
  size_t line = 0;  // the line it starts on
  std::vector<std::string> fields;
  const char* fault = nullptr;  // why it can't be read
};

// Cuts CSV text into records, one at a time.
class CsvScanner {
 public:
  CsvScanner(std::string_view text, char separator, size_t pos, size_t line)
      : text_(text), separator_(separator), pos_(pos), line_(line) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  CsvRecord Next() {
    CsvRecord record;
    record.line = line_;
    const size_t start = pos_;
    std::string field;
    for (;;) {
      field.clear();
      if (pos_ < text_.size() && text_[pos_] == '"') {
        const size_t close = ClosingQuote(pos_ + 1);
        if (close == kNone) return Unclosed(start, record);
        for (size_t i = pos_ + 1; i < close; ++i) {
          const char c = text_[i];
          if (c == '"') ++i;  // the first of a doubled quote: keep one
          if (c == '\n' || (c == '\r' && text_[i + 1] != '\n')) ++line_;
          field += c;
        }
        pos_ = close + 1;
      }
      while (pos_ < text_.size() && text_[pos_] != separator_ && !LineBreakAt(text_, pos_))
        field += text_[pos_++];
      record.fields.push_back(field);
      if (pos_ < text_.size() && text_[pos_] == separator_) {
        ++pos_;
        continue;
      }
      if (const size_t brk = LineBreakAt(text_, pos_)) {
        pos_ += brk;
        ++line_;
      }
      return record;
    }
  }

 private:
  // A quote with no closing quote: the record is given up and reading goes on with the line
  // after the one it started on.
  CsvRecord Unclosed(size_t start, CsvRecord& record) {
    record.fields.clear();
    record.fault = "引号没有闭合";
    pos_ = start;
    while (pos_ < text_.size() && !LineBreakAt(text_, pos_)) ++pos_;
    pos_ += LineBreakAt(text_, pos_);
    line_ = record.line + 1;
    return record;
  }

  // The quote that closes a quoted field whose text starts at `from`, or kNone. After the
  // first field without one, all answers come from a table built once from the end of the
  // text, so that lines of unclosed quotes cost linear time, not quadratic.
  size_t ClosingQuote(size_t from) {
    if (!closing_.empty()) return closing_[from];
    for (size_t i = from; i < text_.size(); ++i) {
      if (text_[i] != '"') continue;
      if (i + 1 < text_.size() && text_[i + 1] == '"') {
        ++i;
        continue;
      }
      return i;
    }
    closing_.assign(text_.size() + 2, kNone);
    for (size_t i = text_.size(); i-- > 0;) {
      if (text_[i] != '"')
        closing_[i] = closing_[i + 1];
      else if (i + 1 < text_.size() && text_[i + 1] == '"')
        closing_[i] = closing_[i + 2];
      else
        closing_[i] = i;
    }
    return kNone;
  }

  std::string_view text_;
  char separator_;
  size_t pos_;
  size_t line_;
  std::vector<size_t> closing_;
};

struct ColumnName {
  const char* gbk;
  const char* latin;
  int field;
};
constexpr ColumnName kColumnNames[] = {
    {"IP地址", "IP", kFieldIp},
    {"MAC地址", "MAC", kFieldMac},
    {"工作组", "Workgroup", kFieldWorkgroup},
    {"计算机名", "Name", kFieldName},
};
constexpr int kNoField = -1;

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int FieldNamed(std::string_view cell) {
  cell = TrimBlanks(cell);
  for (const ColumnName& c : kColumnNames)
    if (GbkIEquals(cell, c.gbk) || GbkIEquals(cell, c.latin)) return c.field;
  return kNoField;
}

// Which field each column of the file holds.
struct Columns {
  std::vector<int> field_of_column{kFieldIp, kFieldMac, kFieldWorkgroup, kFieldName};
  size_t ColumnOf(int field) const {
    const auto it = std::find(field_of_column.begin(), field_of_column.end(), field);
    return it == field_of_column.end() ? kNone : static_cast<size_t>(it - field_of_column.begin());
  }
};

// The columns a header line names, or nothing when no cell is a column name.
bool ReadHeader(const std::vector<std::string>& cells, Columns& columns) {
  std::vector<int> fields;
  bool any = false;
  for (const std::string& cell : cells) {
    int field = FieldNamed(cell);
    if (field != kNoField && std::count(fields.begin(), fields.end(), field)) field = kNoField;
    any = any || field != kNoField;
    fields.push_back(field);
  }
  if (any) columns.field_of_column = std::move(fields);
  return any;
}

// The record of a data line, or the reason it can't be read.
const char* ReadRecord(const std::vector<std::string>& fields, const Columns& columns,
                       HostRecord& record) {
  const size_t width = columns.field_of_column.size();
  for (size_t i = width; i < fields.size(); ++i)
    if (!fields[i].empty()) return "字段多于表头的列数";
  const size_t ip_column = columns.ColumnOf(kFieldIp);
  if (ip_column >= fields.size()) return "缺少 IP 地址一栏";
  if (TrimBlanks(fields[ip_column]).empty()) return "IP 地址为空";
  auto value = [&](int field, const char* absent) {
    const size_t column = columns.ColumnOf(field);
    return column < fields.size() ? fields[column] : std::string(absent);
  };
  record =
      HostRecord{fields[ip_column], value(kFieldMac, ""), value(kFieldWorkgroup, kUnknownField),
                 value(kFieldName, kUnknownField), std::string()};
  return nullptr;
}

bool IsUtf16(std::string_view text) {
  return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

// The scanner for a text after its UTF-8 byte-order mark (`is_utf8` says whether there was
// one): the separator named by a "sep=" first line (`named`), or the one the text uses.
CsvScanner ScannerFor(std::string_view& text, bool& is_utf8, bool& named) {
  is_utf8 = text.starts_with(kUtf8Bom);
  if (is_utf8) text.remove_prefix(kUtf8Bom.size());
  named = text.size() >= 5 && GbkIEquals(text.substr(0, 4), "sep=") &&
          std::string_view("\"\r\n").find(text[4]) == kNone &&
          (text.size() == 5 || LineBreakAt(text, 5));
  if (named) return CsvScanner(text, text[4], 5 + LineBreakAt(text, 5), 2);
  return CsvScanner(text, DetectSeparator(text), 0, 1);
}

// The next record whose fields aren't all empty (or one that can't be read), its fields
// converted from UTF-8 when the text is; false at the end of the text.
bool NextFilled(CsvScanner& scanner, bool is_utf8, const Utf8ToGbk& utf8, CsvRecord& r,
                bool& replaced) {
  while (!scanner.AtEnd()) {
    r = scanner.Next();
    replaced = false;
    if (r.fault) return true;
    if (is_utf8)
      for (std::string& f : r.fields) f = utf8.Convert(f, replaced);
    if (!std::all_of(r.fields.begin(), r.fields.end(), [](auto& f) { return f.empty(); }))
      return true;
  }
  return false;
}

}  // namespace

std::string_view CsvHeader() {
  static const std::string kHeader = "IP地址,MAC地址,工作组,计算机名";
  return kHeader;
}

std::string FormatCsvLine(const HostRecord& r) {
  std::string line;
  line.reserve(r.ip.size() + r.mac.size() + r.workgroup.size() + r.name.size() + 5);
  AppendField(line, r.ip);
  line += ',';
  AppendField(line, r.mac);
  line += ',';
  AppendField(line, r.workgroup);
  line += ',';
  AppendField(line, r.name);
  line += kCrLf;
  return line;
}

bool StartsWithCsvHeader(std::string_view text, const Utf8ToGbk& utf8) {
  if (IsUtf16(text)) return true;
  bool is_utf8 = false, named = false, replaced = false;
  CsvScanner scanner = ScannerFor(text, is_utf8, named);
  CsvRecord r;
  if (named) return true;
  if (!NextFilled(scanner, is_utf8, utf8, r, replaced) || r.fault) return false;
  return r.fields.size() >= 2 && std::any_of(r.fields.begin(), r.fields.end(),
                                             [](auto& f) { return FieldNamed(f) != kNoField; });
}

void ParseCsvList(std::string_view text, const Utf8ToGbk& utf8, ListFileContents& out) {
  if (IsUtf16(text)) {
    out.unread.push_back({1, "文件是 UTF-16 编码，请另存为 CSV 或 CSV UTF-8 后再导入"});
    return;
  }
  bool is_utf8 = false, named = false;
  CsvScanner scanner = ScannerFor(text, is_utf8, named);
  Columns columns;
  bool first = true, replaced = false;
  for (CsvRecord r; NextFilled(scanner, is_utf8, utf8, r, replaced);) {
    if (r.fault) {
      out.unread.push_back({r.line, r.fault});
      first = false;
      continue;
    }
    if (first) {
      first = false;
      if (ReadHeader(r.fields, columns)) {
        if (columns.ColumnOf(kFieldIp) == kNone) {
          out.unread.push_back({r.line, "表头中没有“IP地址”一栏，文件没有导入"});
          return;
        }
        continue;
      }
    }
    HostRecord record;
    if (const char* fault = ReadRecord(r.fields, columns, record)) {
      out.unread.push_back({r.line, fault});
      continue;
    }
    out.records.push_back(std::move(record));
    if (replaced) out.replaced.push_back(r.line);
  }
}

}  // namespace lr

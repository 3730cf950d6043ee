// The host list's files: the export layout (IP, MAC, computer name), the save-on-exit
// layout (IP, MAC, workgroup, computer name), the CSV layout (csv_list.h) and the reader
// that takes any of them back.
//
// All text is GBK bytes and every line ends in CR LF. In the two text layouts fields are
// joined by one space and written unchanged (no padding, quoting or escaping); the first
// line is a fixed header.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file.h"
#include "base/gbk.h"
#include "hostlist/host_list.h"

namespace lr {

enum class ListLayout { kExport, kSaveOnExit, kCsv };

// The header line of a layout, without its CR LF.
std::string_view ListHeader(ListLayout layout);

// One record line of a layout, with its CR LF.
std::string FormatListLine(ListLayout layout, const HostRecord& record);

struct ListWriteResult {
  FileStatus status;         // the first failure, if any
  size_t lines_written = 0;  // whole lines (the header included) that reached the file
};

// Creates (or replaces) the file and writes the header and one line per record, each line
// handed to the system before the next is built. On a failure the lines already written
// stay in the file and the result names the system's reason.
ListWriteResult WriteListFile(const std::filesystem::path& path, const HostList& list,
                              ListLayout layout);

// Cuts the text of an export or save-on-exit file into records: lines end at CR LF, lone
// CR or lone LF; a NUL byte ends the text; the first line is the header; every further line
// (empty ones too) is one record, in file order.
// - After any header but the save-on-exit one (the export layout): IP (before the first
//   space), MAC (between the first and second space) and computer name (the rest), with
//   workgroup "-".
// - After the save-on-exit header: IP, MAC, then the workgroup and the computer name, and
//   the one space that ends the line is dropped. A scanned workgroup is a 15-byte name
//   text padded with spaces ("WORKGROUP" and six spaces, "MY GROUP" and seven): when the
//   byte after the first 15 is the separating space, those 15 bytes are the workgroup
//   (not for the mark "-", never padded, nor when the computer name after it would start
//   with a space). Otherwise the workgroup ends at the next space. A short workgroup typed
//   by hand followed by a name with a space at that place can't be told from a padded one.
std::vector<HostRecord> ParseImport(std::string_view bytes);

// Which reader a list file takes: CSV, or the text layouts told apart by their header.
enum class ListFileKind { kText, kCsv };

// kCsv for a name that ends in ".csv" in any letter case, kText otherwise.
ListFileKind ListFileKindOf(const std::filesystem::path& path);

// The reader a file's text calls for: kText when its first line is the export or the
// save-on-exit header, kCsv when it opens with a CSV header (csv_list.h), `hint` (the
// dialog's filter or the file's name) when the text says neither.
ListFileKind ListFileKindOfText(std::string_view bytes, ListFileKind hint,
                                const Utf8ToGbk& utf8 = AsciiOnlyUtf8ToGbk());

// The layout a save writes the chosen file in: `layout`, except that an export follows the
// chosen name's extension (".csv" or ".txt", in any letter case), or else the save dialog's
// filter (the CSV layout when `csv_filter`). The file written is always the chosen one.
ListLayout ListSaveLayoutOf(const std::filesystem::path& chosen, ListLayout layout,
                            bool csv_filter);

// A line that could not be read: where it starts in the file (from 1) and why, in GBK.
struct UnreadLine {
  size_t line = 0;
  std::string reason;
  friend bool operator==(const UnreadLine&, const UnreadLine&) = default;
};

struct ListFileContents {
  std::vector<HostRecord> records;  // in file order
  std::vector<UnreadLine> unread;   // lines skipped, in file order (only CSV has any)
  std::vector<size_t> replaced;     // lines read with characters GBK lacks turned into "?"
};

// Reads a list file of any layout: the text layouts as ParseImport does, CSV as
// ParseCsvList does, whichever ListFileKindOfText names (`kind` is its hint); `utf8`
// converts a CSV file saved as UTF-8.
ListFileContents ParseListFile(std::string_view bytes, ListFileKind kind,
                               const Utf8ToGbk& utf8 = AsciiOnlyUtf8ToGbk());

// Reads the whole file and then parses it as ParseListFile does. When the file can't be
// read `out` is unchanged and the status names the reason.
FileStatus ReadListFile(const std::filesystem::path& path, ListFileKind kind, ListFileContents& out,
                        const Utf8ToGbk& utf8 = AsciiOnlyUtf8ToGbk());

// What to tell the administrator after reading `contents` (GBK, lines joined by "\n"): how
// many records were read, the first 20 unread lines as "第 12 行：…" and how many more, and
// the lines where characters were replaced. Empty when every line was read whole.
std::string ListFileReport(const ListFileContents& contents);

// Reads a list file (as ParseListFile does, with the text layouts as its hint), then
// appends its records to `list`. When the file can't be read
// the list is unchanged and the status names the reason.
FileStatus ImportListFile(const std::filesystem::path& path, HostList& list);

}  // namespace lr

// The host list's text files: the export layout (IP, MAC, computer name), the
// save-on-exit layout (IP, MAC, workgroup, computer name) and the import reader.
//
// All text is GBK bytes, every line ends in CR LF, fields are joined by one space and
// written unchanged (no padding, quoting or escaping); the first line is a fixed header.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file.h"
#include "hostlist/host_list.h"

namespace lr {

enum class ListLayout { kExport, kSaveOnExit };

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

// Cuts import text into records: lines end at CR LF, lone CR or lone LF; a NUL byte ends
// the text; the first line is skipped; every further line (empty ones too) is one record
// of IP (before the first space), MAC (between the first and second space) and computer
// name (the rest), with workgroup "-".
std::vector<HostRecord> ParseImport(std::string_view bytes);

// Reads the whole file, then appends its records to `list`. When the file can't be read
// the list is unchanged and the status names the reason.
FileStatus ImportListFile(const std::filesystem::path& path, HostList& list);

// Reads a list file into records, as the import would append them. When the file can't be
// read `records` is unchanged and the status names the reason.
FileStatus ReadListFile(const std::filesystem::path& path, std::vector<HostRecord>& records);

}  // namespace lr

// The host list as CSV, the file a spreadsheet opens and saves.
//
// Written: GBK, CR LF, the header line "IP地址,MAC地址,工作组,计算机名", then one line per
// record with those four fields, a field quoted ("a ""b"", c") only when it holds a comma, a
// quote, a CR or an LF. Read: the same, or what a spreadsheet writes under other settings
// (see ParseCsvList). Writing and then reading gives the records back byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "base/gbk.h"
#include "hostlist/host_record.h"
#include "hostlist/list_files.h"

namespace lr {

// "IP地址,MAC地址,工作组,计算机名", without its CR LF.
std::string_view CsvHeader();

// One record line with its CR LF.
std::string FormatCsvLine(const HostRecord& record);

// Reads CSV text into `out`, appending records, unread lines and replaced lines:
// - GBK; or UTF-8 when the text starts with its byte-order mark, each field converted by
//   `utf8` (characters GBK lacks become "?", and the line is listed in `out.replaced`). A
//   UTF-16 text is refused as a whole.
// - The separator is a comma, a semicolon or a tab, whichever the first line that isn't
//   empty holds most of outside quotes (a comma when it holds none); a first line "sep=;"
//   names it.
// - Lines end at CR LF, CR or LF. A field that starts with a quote runs to the lone quote
//   that closes it, doubled quotes standing for one and line breaks kept; any bytes after
//   the closing quote up to the separator are kept as well. No field is trimmed.
// - Lines whose fields are all empty are passed over.
// - A first line that names one of the columns "IP地址"/"IP", "MAC地址"/"MAC",
//   "工作组"/"Workgroup", "计算机名"/"Name" (blanks around them and letter case ignored) is the
//   header: columns are taken by those names in any order, other columns are ignored. Without
//   such a line the columns are IP, MAC, workgroup, computer name.
// - A column the file lacks, or a field a line lacks, gives MAC "" and workgroup and computer
//   name "-".
// - Skipped and listed in `out.unread`: a quote that no quote closes (reading goes on at the
//   next line), a line with fewer fields than the IP column needs or with an IP field that
//   is empty or blank, a line with a non-empty field beyond the last column. A header
//   without an IP column stops the reading there.
void ParseCsvList(std::string_view bytes, const Utf8ToGbk& utf8, ListFileContents& out);

// Whether a text tells by itself that it is CSV: a UTF-16 byte-order mark (read only to be
// refused), a "sep=" first line, or a first line that isn't empty holding at least two
// fields, one of them a column name as above.
bool StartsWithCsvHeader(std::string_view bytes, const Utf8ToGbk& utf8);

}  // namespace lr

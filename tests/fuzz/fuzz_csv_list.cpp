// Fuzzes the CSV reader itself (a list file that opens with a text layout's header goes to the
// text reader instead, which fuzz_import covers): any bytes read without reading past them,
// every line number within the text, and whatever was read comes back the same when written
// as CSV and read again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hostlist/csv_list.h"

namespace {

bool AllEmpty(const lr::HostRecord& r) {
  return r.ip.empty() && r.mac.empty() && r.workgroup.empty() && r.name.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  lr::ListFileContents read;
  lr::ParseCsvList(bytes, lr::AsciiOnlyUtf8ToGbk(), read);
  const size_t lines = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n') +
                                           std::count(bytes.begin(), bytes.end(), '\r')) +
                       1;
  for (const lr::UnreadLine& u : read.unread)
    if (u.line < 1 || u.line > lines || u.reason.empty()) std::abort();

  // A record with all four fields empty is written as an empty row, which reading passes over.
  std::string csv(lr::CsvHeader());
  csv += "\r\n";
  std::vector<lr::HostRecord> kept;
  for (const lr::HostRecord& r : read.records) {
    if (!r.remark.empty()) std::abort();
    if (AllEmpty(r)) continue;
    csv += lr::FormatCsvLine(r);
    kept.push_back(r);
  }
  lr::ListFileContents again;
  lr::ParseCsvList(csv, lr::AsciiOnlyUtf8ToGbk(), again);
  if (again.records != kept || !again.unread.empty()) std::abort();
  return 0;
}

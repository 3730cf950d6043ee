// Hostprep's run log, C:\Windows\Hostprep.log: one line per run with the time, the MACs it
// tried, the entry it found, the outcome in words and the exit code, so a clone that did not
// take its settings shows why. GBK with CR LF; only the last kRunLogLimit bytes are kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "clientprep/apply_sequence.h"
#include "clientprep/client_machine.h"

namespace lr::clientprep {

inline constexpr const char* kRunLogPath = "C:\\Windows\\Hostprep.log";
inline constexpr size_t kRunLogLimit = 64 * 1024;

// What one run saw: the MACs it tried in order, the InfoList line it took ("MAC=value",
// empty when none), and a note on what went wrong beyond the outcome (empty when none).
struct RunRecord {
  std::vector<std::string> macs;
  std::string entry;
  std::string request;  // how asking the window for an entry went, empty when it did not ask
  std::string note;     // what else the run met, empty when nothing
};

// The outcome of an exit code in plain Chinese (GBK).
std::string OutcomeText(ApplyResult result);

// "2026-12-08 13:07:06  MAC: a, b  条目: MAC=IP~name  结果: words（退出码 N）" and CR LF, with
// "  申请: request" before the outcome when the run asked for its entry, and "  说明: note"
// after the code.
std::string RunLogLine(const LocalTime& time, const RunRecord& record, ApplyResult result);

// The log after adding `line`: the whole lines of `log` that fit with it in `limit` bytes
// (the oldest go first), then `line`.
std::string WithRunLogLine(std::string_view log, std::string_view line,
                           size_t limit = kRunLogLimit);

}  // namespace lr::clientprep

// The check before a package is written: every host row and the café-wide options are
// looked at for what would leave a clone unconfigured or give two clones one identity.
//
// A problem names its row, says what is wrong in plain Chinese and what the fix would write,
// or that it can't be fixed. Applying the fixes changes the rows of the host list
// themselves, so the window and later exports show what went into the settings file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hostlist/field_texts.h"
#include "hostlist/host_list.h"

namespace lr {

struct PreflightProblem {
  size_t row = 0;       // counts from 1; 0 is a problem of the options
  HostList::Id id = 0;  // the row's record, which the fix changes
  std::string ip;       // the row as it stands
  std::string mac;
  std::string name;
  std::string problem;  // GBK, plain Chinese
  std::string fix;      // GBK: what the fix writes, or that it can't be fixed
  int field = -1;       // HostField the fix changes; -1 when it can't be fixed
  std::string fixed;    // the new text of that field

  bool Fixable() const { return field >= 0; }
};

struct PreflightOptions {
  std::string gateway;                   // dotted text
  std::string mask;                      // dotted text
  std::vector<std::string> master_macs;  // this machine's adapters, any MAC form
};

// Every problem, in row order (the options' first); empty when the list is sound.
std::vector<PreflightProblem> CheckBeforeGenerating(const HostList& hosts,
                                                    const PreflightOptions& options);

// Writes each fixable problem's change into its row.
void ApplyPreflightFixes(HostList& hosts, const std::vector<PreflightProblem>& problems);

}  // namespace lr

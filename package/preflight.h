// The check before a package is written: every host row and the café-wide options are
// looked at for what would leave a clone unconfigured or give two clones one identity.
//
// What needs no decision is converted before the check, in the rows themselves: a MAC of six
// hexadecimal pairs in any form becomes the form a clone looks itself up by, and trailing
// blanks (a NetBIOS name's padding) leave the computer name. A problem names its row, says
// what is wrong in plain Chinese and what the fix would write, or that it can't be fixed.
// Applying the fixes changes the rows of the host list themselves, so the window and later
// exports show what went into the settings file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/field_texts.h"
#include "hostlist/host_list.h"

namespace lr {

struct PreflightProblem {
  size_t row = 0;       // counts from 1; 0 is a problem of the options
  HostList::Id id = 0;  // the row's record, which the fix changes
  std::string ip;       // the row as it stands
  std::string mac;
  std::string name;
  std::string problem;        // GBK, plain Chinese
  std::string fix;            // GBK: what the fix writes, or that it can't be fixed
  int field = -1;             // HostField the fix changes, kFixUnlockPassword, or -1 (no fix)
  std::string fixed;          // the new text of that field, or the password to write
  bool unconfigured = false;  // as it stands, Hostprep leaves this row's PC as it is

  bool Fixable() const { return field >= 0; }
};

// The `field` of the option problem whose fix writes the unlock password with its keystroke
// syntax braced, so the clone types it literally.
inline constexpr int kFixUnlockPassword = 100;

struct PreflightOptions {
  std::string gateway;                   // dotted text
  std::string mask;                      // dotted text
  std::vector<std::string> master_macs;  // this machine's adapters, any MAC form
  std::string unlock_password;           // as typed
  std::string dns1;                      // dotted; "" or "0.0.0.0" when not filled
  std::string dns2;
  bool master_dns_from_dhcp = false;  // an adapter of this machine takes DNS from DHCP
};

// Converts every row's MAC text that holds six hexadecimal pairs to the client's form and
// cuts trailing blanks from computer names. Returns how many fields changed.
size_t ConvertHostTexts(HostList& hosts);
// The same conversion of one record; true when it changed.
bool ConvertHostTexts(HostRecord& record);

// Every problem, in row order (the options' first); empty when the list is sound. The rows
// are taken as ConvertHostTexts leaves them.
std::vector<PreflightProblem> CheckBeforeGenerating(const HostList& hosts,
                                                    const PreflightOptions& options);

// Writes each fixable problem's change into its row.
void ApplyPreflightFixes(HostList& hosts, const std::vector<PreflightProblem>& problems);

// The unlock password to write: the fixed one when a fix for it is among `problems`.
std::string FixedUnlockPassword(const std::vector<PreflightProblem>& problems, std::string typed);

}  // namespace lr

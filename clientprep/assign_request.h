// A clone the package does not list asks the administrator's window for its entry. The boot
// service does this when the adapter wait found no entry and the package carries AssignKey:
// it moves its own connection to DHCP (the master's static address would conflict with the
// master), then broadcasts a request every kAssignAskEvery with a fresh nonce, its own MACs
// and its current name, for up to kAssignWaitLimit. The first answer signed with the key, for
// a nonce it sent and one of its own MACs that is not the master's, goes into its InfoList,
// and the boot steps go on as if the entry had been there. Every other answer changes
// nothing and is counted for the log line.
#pragma once

#include <string>
#include <vector>

#include "clientprep/apply_sequence.h"
#include "clientprep/client_machine.h"

namespace lr::clientprep {

struct SequenceRun;

inline constexpr unsigned kAssignAskEvery = 3000;
inline constexpr unsigned kAssignWaitLimit = 30 * 60 * 1000;

// "<folder>\netsh.exe interface ip set address name=CONNECTION source=dhcp".
CommandLine DhcpCommand(const std::string& system_folder, const Adapter& adapter);

// Asks for the entry of the machine with `own` adapters: kDone with the entry in the settings
// file (and in `run`), else kNoEntry with the reason in the run's record (no key: nothing is
// done; a timeout, a stop or a socket that can't be opened: the next boot asks again), or
// kRegistryWriteFailed when the settings file can't be rewritten.
ApplyResult AskForEntry(SequenceRun& run, const std::vector<Adapter>& own);

}  // namespace lr::clientprep

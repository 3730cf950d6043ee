// The café's DNS servers on the clone: after its address, the adapter that took it gets the
// AutoSet keys DNS1 and DNS2 (each written only when filled) with netsh, on the same
// connection, and they are read back from the adapter. Without the keys the clone's DNS
// stays as it is. A failure leaves the name and the address done and keeps the Run value and
// the service, so the next start sets the DNS servers again.
#pragma once

#include <string>
#include <vector>

#include "clientprep/apply_sequence.h"
#include "clientprep/client_machine.h"
#include "package/client_settings.h"

namespace lr::clientprep {

struct SequenceRun;

// How long each DNS command may take before the run gives up on it.
inline constexpr unsigned kDnsCommandTimeout = 60000;

// The servers to set in order: DNS1, then DNS2 (each when filled; a second equal to the
// first is left out, netsh would refuse it as already there). DNS2 alone is the only one.
std::vector<std::string> DnsServersToSet(const ClientSettings& settings);

// Whether every filled DNS key is a dotted IPv4 address.
bool SoundDnsServers(const ClientSettings& settings);

// "<folder>\netsh.exe interface ip set dns CONNECTION static SERVER primary" for the first
// server (index 1), "... add dns CONNECTION SERVER 2" for the second.
CommandLine DnsCommand(const std::string& system_folder, const Adapter& adapter,
                       const std::string& server, int index);

// The DNS step on `adapter` for the loaded settings: kDone (nothing to set, or set and found
// on the adapter) or kDnsFailed with its message held.
ApplyResult DnsStep(SequenceRun& run, const Adapter& adapter);

}  // namespace lr::clientprep

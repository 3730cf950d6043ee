// One run of the apply sequence as its parts share it: the machine, the boxes held for
// after the log line, what the log line reports, and the settings file once read. The boot
// steps and the session steps are the two halves the programs' starts combine.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "clientprep/apply_sequence.h"
#include "clientprep/boxes.h"
#include "clientprep/run_log.h"
#include "package/client_settings.h"
#include "package/profile.h"

namespace lr::clientprep {

// The registry key the sequence has open; closed on every way out of its scope.
class OpenedKey {
 public:
  OpenedKey(ClientMachine& machine, const std::string& path)
      : machine_(machine), opened_(machine_.OpenKey(path)) {}
  ~OpenedKey() { machine_.CloseKey(); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  bool opened() const { return opened_; }

 private:
  ClientMachine& machine_;
  bool opened_;
};

struct SequenceRun {
  explicit SequenceRun(ClientMachine& m) : machine(m), boxes(m) {}

  ClientMachine& machine;
  HeldBoxes boxes;
  RunRecord record;
  std::string bytes;  // the settings file as read
  Profile profile;
  ClientSettings settings;

  // The line for `result`, then the held boxes; `result` returned.
  ApplyResult Finish(ApplyResult result);
};

// Reads and parses the settings file: kDone, kNoSettingsFile, or kNoAdminRights (shown)
// when it can't be read for want of rights.
ApplyResult LoadSettings(SequenceRun& run);

// The own adapters into `own` and the first with an entry of its own (nullptr when none:
// `master` tells whether only the master's were found), noted in the run's record.
const Adapter* LookForEntry(SequenceRun& run, std::vector<Adapter>& own, bool& master);

// From the own MACs to the address verified, for the settings loaded. With `adapter_wait`
// the own MACs are looked for again, kAdapterWaitStep apart, until one has an entry or that
// long has passed. kStopped when the service is told to stop in a wait.
ApplyResult BootSteps(SequenceRun& run, unsigned adapter_wait);

// Whether the settings hold steps that need the user's desktop: a program or a password.
bool HasSessionWork(const ClientSettings& settings);

// The program and the unlock keys: kDone, kProgramNotStarted or kKeystrokeFailed.
ApplyResult ProgramAndKeys(SequenceRun& run);

// The password out of the settings file, the Run value and the service removed.
ApplyResult RemoveTraces(SequenceRun& run);

}  // namespace lr::clientprep

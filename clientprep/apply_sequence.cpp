// The starts of the apply sequence: from the Run value, as the boot-time service, and as the
// session part the service starts. Each combines the boot steps and the session steps and
// ends with its log line, then its boxes, then the restart.
#include "clientprep/apply_sequence.h"

#include "clientprep/sequence_run.h"
#include "package/profile.h"

namespace lr::clientprep {

ApplyResult SequenceRun::Finish(ApplyResult result) {
  machine.AppendRunLog(RunLogLine(machine.Now(), record, result));
  boxes.ShowAll();
  return result;
}

namespace {

void Restart(ClientMachine& machine) {
  machine.StartCommand(RebootCommand(machine.SystemFolder()), false);
}

// Whether the run got the work lock; the trouble with a lock that can't be had goes into the
// log line.
bool WorkLockTaken(SequenceRun& run) {
  return run.machine.TakeWorkLock(run.record.note);
}

}  // namespace

ApplyResult RunApplySequence(ClientMachine& machine) {
  SequenceRun run(machine);
  // A start from the Run value after the work is done (the service may finish while the
  // logon is still starting its programs) finds the value gone.
  if (!machine.RunValueExists()) return run.Finish(kOtherStart);
  // Without the rights (an administrator's filtered token under UAC, an ordinary user) the
  // start from the Run value leaves the work to the service, which has them: no box at each
  // logon on the master or on a clone without an entry. It is told before the lock, which
  // a start that does nothing must not keep from the service.
  if (machine.ServiceRegistered() && !machine.HasAdminRights()) return run.Finish(kNoAdminRights);
  if (!WorkLockTaken(run)) return run.Finish(kOtherStart);
  ApplyResult result = LoadSettings(run);
  if (result != kDone) return run.Finish(result);
  // The service did the boot steps (and restarted after them when asked): only the session
  // steps are left, and no second restart.
  const bool boot_steps = !(machine.ServiceRegistered() && machine.BootStepsMarked());
  if (boot_steps) {
    if ((result = BootSteps(run, 0)) != kDone) return run.Finish(result);
    // Should the session steps fail, the service does only them at the next boot. A mark
    // that can't be written costs a second round of boot steps, nothing worse: the session
    // steps go on.
    if (machine.ServiceRegistered()) machine.MarkBootSteps();
  }
  result = ProgramAndKeys(run);
  std::vector<Adapter> own;
  bool master = false;
  if (!boot_steps) LookForEntry(run, own, master);  // for the log line, adapters up by now
  if (result != kDone) return run.Finish(result);
  if ((result = RemoveTraces(run)) != kDone) return run.Finish(result);
  run.Finish(kDone);
  if (boot_steps && run.settings.Reboot()) Restart(machine);
  return kDone;
}

ApplyResult RunBootService(ClientMachine& machine) {
  SequenceRun run(machine);
  if (!WorkLockTaken(run)) return run.Finish(kOtherStart);
  ApplyResult result = LoadSettings(run);
  if (result != kDone) return run.Finish(result);
  if (!machine.BootStepsMarked()) {
    if ((result = BootSteps(run, kAdapterWait)) != kDone) return run.Finish(result);
    if (!HasSessionWork(run.settings)) {
      result = run.Finish(RemoveTraces(run));
      if (result == kDone && run.settings.Reboot()) Restart(machine);
      return result;
    }
    // Marked before the restart: a boot cut off after it neither redoes the boot steps nor
    // restarts again.
    if (!machine.MarkBootSteps()) return run.Finish(kRegistryWriteFailed);
    run.Finish(kWaitingForLogon);
    if (run.settings.Reboot()) {
      Restart(machine);
      return kWaitingForLogon;
    }
  }
  if (!machine.WaitForUserSession()) return kWaitingForLogon;
  const int part = machine.RunSessionPart(run.bytes);
  // After a restart the boot steps' adapters are looked up for the log line only now: at the
  // service's start they may not be up yet.
  if (run.record.macs.empty()) {
    std::vector<Adapter> own;
    bool master = false;
    LookForEntry(run, own, master);
  }
  if (part != kDone) return run.Finish(static_cast<ApplyResult>(part));
  return run.Finish(RemoveTraces(run));
}

ApplyResult RunSessionPart(ClientMachine& machine) {
  SequenceRun run(machine);  // its held boxes are never shown
  ApplyResult result = LoadSettings(run);
  if (result != kDone) return result;
  // The pause before the keys counts from the moment the user's desktop is up, as it did
  // when the logon itself started Hostprep, not from the password's acceptance.
  if (!machine.WaitForUserShell()) return kSessionNotStarted;
  return ProgramAndKeys(run);
}

}  // namespace lr::clientprep

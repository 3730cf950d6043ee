// The session steps of the apply sequence: the program, the unlock keys, and the traces the
// clone keeps no longer once they are done (the password, the Run value, the service).
#include "base/format.h"
#include "clientprep/send_keys.h"
#include "clientprep/sequence_run.h"
#include "package/client_service.h"
#include "package/unlock_password.h"

namespace lr::clientprep {

namespace {

bool TypeUnlockPassword(ClientMachine& machine, HeldBoxes& keyboard, const std::string& stored) {
  machine.Pause(kPauseBeforeUnlock);
  SendKeys("{F3}", false, keyboard);
  machine.Pause(kPauseAfterF3);
  try {
    // False for a brace left open (the sender has said so): the password was not typed.
    if (!SendKeys(DecodeUnlockPassword(stored), false, keyboard)) return false;
  } catch (const EConvertError& e) {
    keyboard.Error(e.what());
    return false;
  }
  machine.Pause(kPauseAfterPassword);
  SendKeys("{Enter}", false, keyboard);
  return true;
}

// Deletes the Run value when it exists; false when it exists and stays, or when its key
// can't be opened (a guarded key is not taken for a value gone).
bool RemoveRunValue(ClientMachine& machine, HeldBoxes& boxes) {
  OpenedKey key(machine, kRunKey);
  if (!key.opened() || (machine.ValueExists(kRunValue) && !machine.DeleteValue(kRunValue))) {
    boxes.Error(StrFormat("Failed to delete value '%s'", kRunValue));
    return false;
  }
  machine.Pause(kPauseAfterRunValue);
  return true;
}

}  // namespace

bool HasSessionWork(const ClientSettings& settings) {
  return settings.StartsProgram() || settings.Unlocks();
}

ApplyResult ProgramAndKeys(SequenceRun& run) {
  // A program that could not be started as the user keeps the password for the next try:
  // the keys belong to a lock screen that program shows.
  if (run.settings.StartsProgram() &&
      !run.machine.StartCommand(run.settings.execute_path, run.settings.ProgramShown()))
    return kProgramNotStarted;
  if (run.settings.Unlocks() && !TypeUnlockPassword(run.machine, run.boxes, run.settings.unlock_pw))
    return kKeystrokeFailed;
  return kDone;
}

ApplyResult RemoveTraces(SequenceRun& run) {
  ClientMachine& machine = run.machine;
  // The unlock password leaves the clone once it has been typed; the rest of the file stays.
  // Without one there is nothing to remove, and the file is not written (it may be read-only).
  if (run.settings.Unlocks() &&
      !machine.WriteSettingsFile(run.profile.WithoutKey(kSectionAutoSet, kKeyUnlockPW))) {
    run.boxes.Error(StrFormat("Unable to write to %s", kSettingsPathRead));
    return kRegistryWriteFailed;
  }
  if (!RemoveRunValue(machine, run.boxes)) return kRunValueKept;
  if (machine.ServiceRegistered() && !machine.RemoveService()) {
    run.boxes.Error(StrFormat("Failed to delete service '%s'", kServiceName));
    return kServiceKept;
  }
  return kDone;
}

}  // namespace lr::clientprep

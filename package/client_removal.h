// "移除客户端...": takes the client package off this machine again (the boot-time service,
// the Run value, Hostprep.exe and the settings file), after asking. Every part is tried,
// whatever happened to the one before, and the closing box names what was removed, what
// was not there (which is no error) and what could not be removed, with the reason; a
// failure is never reported as success.
#pragma once

#include <string>

#include "package/generator.h"

namespace lr {

// What became of one part of the package.
struct RemovalStep {
  enum class State { kRemoved, kAbsent, kFailed } state = State::kAbsent;
  std::string reason;  // the system's reason when kFailed
  // The service only: it did not stop in the time given, so its program still runs (and
  // holds Hostprep.exe); a removed service is then only marked for deletion.
  bool still_running = false;
};

// The machine the package is removed from.
class ClientRemovalTarget {
 public:
  virtual ~ClientRemovalTarget() = default;
  // A question box; true when the administrator agrees.
  virtual bool Confirm(const std::string& caption, const std::string& text) = 0;
  // Stops the boot-time service if it runs and deletes it.
  virtual RemovalStep RemoveService() = 0;
  virtual RemovalStep RemoveRunValue(const std::string& name) = 0;
  virtual RemovalStep RemoveHostprep() = 0;      // C:\Windows\Hostprep.exe
  virtual RemovalStep RemoveSettingsFile() = 0;  // C:\Windows\Myset.ini
  virtual void ShowMessage(const std::string& caption, const std::string& text,
                           MessageKind kind) = 0;
  // A part that could not be removed: the box of the program's general error handling.
  virtual void ShowError(const std::string& text) = 0;
};

enum class RemovalOutcome {
  kCancelled,   // the administrator said no; nothing was touched
  kDone,        // every part is gone (removed now, or not there)
  kIncomplete,  // some part could not be removed; said so
};

RemovalOutcome RemoveClientPackage(ClientRemovalTarget& target);

}  // namespace lr

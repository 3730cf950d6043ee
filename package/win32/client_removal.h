// The master machine as "移除客户端..." takes the client package off it: the service through
// the service control manager, the Run value, and the two files under C:\Windows. The
// question and the closing box are the program's plain message boxes.
#pragma once

#include <windows.h>

#include <string>

#include "package/client_removal.h"
#include "package/win32/package_target.h"

namespace lr {

class WinClientRemovalTarget : public ClientRemovalTarget {
 public:
  // The same places the generator writes to.
  using Paths = WinPackageTarget::Paths;

  WinClientRemovalTarget() = default;
  explicit WinClientRemovalTarget(Paths paths) : paths_(std::move(paths)) {}

  bool Confirm(const std::string& caption, const std::string& text) override;
  // A running service is asked to stop first (waited for a few seconds), so its program
  // can be deleted after it; a service already marked for deletion counts as removed, and
  // one that did not stop in that time is reported still running.
  RemovalStep RemoveService() override;
  RemovalStep RemoveRunValue(const std::string& name) override;
  RemovalStep RemoveHostprep() override;
  RemovalStep RemoveSettingsFile() override;
  void ShowMessage(const std::string& caption, const std::string& text, MessageKind kind) override;
  void ShowError(const std::string& text) override;

 private:
  Paths paths_;
};

}  // namespace lr

#include "package/client_removal.h"

#include <vector>

#include "package/client_service.h"
#include "package/client_settings.h"

namespace lr {

namespace {

// The parts named as the boxes name them, joined with "、".
std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "、") + p;
  return out;
}

}  // namespace

RemovalOutcome RemoveClientPackage(ClientRemovalTarget& t) {
  const std::string service = std::string("服务 ") + kServiceName;
  const std::string run = std::string("开机运行项 ") + kRunValueName;
  const std::vector<std::string> all = {service, run, kHostprepPath, kSettingsPathWrite};
  if (!t.Confirm("询问", "确实要从本机移除客户端吗？\r\n将删除：" + Join(all))) {
    return RemovalOutcome::kCancelled;
  }
  // The service goes first, so nothing starts Hostprep.exe while it is being deleted.
  RemovalStep steps[] = {t.RemoveService(), t.RemoveRunValue(kRunValueName), t.RemoveHostprep(),
                         t.RemoveSettingsFile()};
  // A service still running keeps its program open: that, not the system's "access
  // denied", is why the program can't be deleted, and the service goes only once it stops.
  const bool running = steps[0].still_running;
  if (running && steps[2].state == RemovalStep::State::kFailed) {
    steps[2].reason = service + " 未能及时停止，它的程序仍在运行";
  }
  std::vector<std::string> removed, absent;
  std::string failed;
  for (size_t i = 0; i < all.size(); ++i) {
    switch (steps[i].state) {
      case RemovalStep::State::kRemoved:
        removed.push_back(all[i] + (i == 0 && running ? "（已标记删除，停止后消失）" : ""));
        break;
      case RemovalStep::State::kAbsent:
        absent.push_back(all[i]);
        break;
      case RemovalStep::State::kFailed:
        failed += "\r\n无法移除：" + all[i] + "（" + steps[i].reason + "）";
        break;
    }
  }
  std::string text;
  if (!removed.empty()) text += "已移除：" + Join(removed);
  if (!absent.empty()) text += (text.empty() ? "" : "\r\n") + ("本机原本没有：" + Join(absent));
  if (failed.empty()) {
    t.ShowMessage("提示", text, MessageKind::kInformation);
    return RemovalOutcome::kDone;
  }
  t.ShowError(text.empty() ? failed.substr(2) : text + failed);
  return RemovalOutcome::kIncomplete;
}

}  // namespace lr

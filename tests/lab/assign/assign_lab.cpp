// The lab's Windows side of the clone requests.
//   assign_lab master SETTINGS MAC IP NAME LOG   opens the real dialog with the master's
//       settings file; a helper thread waits for the line of MAC, selects it, types NAME and IP,
//       presses "分配", prints the time of the click, waits for "已完成配置" in the clone's run log
//       LOG (up to 180 s), prints the time from the click to it, and closes the dialog; then the
//       host list's rows are printed.
//   assign_lab forge SECONDS                 answers every request it hears, for SECONDS, with
//       an answer signed by a key of its own, and replays the first answer it hears from
//       the window every second, as it was and with one byte of the name changed.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "hostlist/win32/assign_dialog.h"
#include "package/assign_wire.h"
#include "package/win32/assign_socket.h"
#include "package/win32/win_crypto.h"
#include "ui/text.h"

namespace {

std::string Narrow(const wchar_t* w) {
  return lr::ui::Gbk(w);
}

bool LogSaysDone(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.find("已完成配置") != std::string::npos;
}

// The line whose MAC column holds `mac`, or -1.
int LineOf(HWND list, const std::string& mac) {
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    if (Narrow(text).find(mac) != std::string::npos) return i;
  }
  return -1;
}

void Drive(std::string mac, std::string ip, std::string name, std::wstring log) {
  HWND dialog = nullptr;
  for (int i = 0; i < 600 && !dialog; ++i, Sleep(100))
    dialog = FindWindowW(lr::TAssignDialog::kClassName, nullptr);
  if (!dialog) return;
  HWND list = GetDlgItem(dialog, lr::TAssignDialog::kList);
  int line = -1;
  for (int i = 0; i < 1800 && (line = LineOf(list, mac)) < 0; ++i) Sleep(100);
  std::printf("request seen: %d line(s), %s %s\n",
              static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)), mac.c_str(),
              line < 0 ? "missing" : "listed");
  if (line < 0) {
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    return;
  }
  LVITEMW select{};
  select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, line, reinterpret_cast<LPARAM>(&select));
  SetWindowTextW(GetDlgItem(dialog, lr::TAssignDialog::kEdtName), lr::ui::Wide(name).c_str());
  SetWindowTextW(GetDlgItem(dialog, lr::TAssignDialog::kEdtIp), lr::ui::Wide(ip).c_str());
  const DWORD click = GetTickCount();
  SendMessageW(dialog, WM_COMMAND, lr::TAssignDialog::kBtnAssign, 0);
  std::printf("clicked 分配\n");
  std::fflush(stdout);
  bool done = false;
  for (int i = 0; i < 1800 && !(done = LogSaysDone(log)); ++i) Sleep(100);
  std::printf(done ? "click to the clone's log line: %lu ms\n" : "no log line after %lu ms\n",
              static_cast<unsigned long>(GetTickCount() - click));
  std::fflush(stdout);
  PostMessageW(dialog, WM_CLOSE, 0, 0);
}

int Master(wchar_t** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  lr::HostList hosts;
  lr::NamePattern pattern;
  std::thread driver(Drive, Narrow(argv[3]), Narrow(argv[4]), Narrow(argv[5]),
                     std::wstring(argv[6]));
  const bool added = lr::TAssignDialog::Run(nullptr, hosts, pattern, Narrow(argv[2]));
  driver.join();
  std::printf("rows added: %s\n", added ? "yes" : "no");
  for (size_t i = 0; i < hosts.Count(); ++i)
    std::printf("row: %s %s %s\n", hosts.At(i).ip.c_str(), hosts.At(i).mac.c_str(),
                hosts.At(i).name.c_str());
  return added ? 0 : 1;
}

int Forge(int seconds) {
  lr::AssignSocket socket;
  lr::WinCrypto crypto;
  if (!socket.Open()) return 2;
  const std::string wrong(16, '\x77');
  int forged = 0, replayed = 0;
  std::string captured;  // the last answer of the window heard
  DWORD replay_at = GetTickCount();
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    // The captured answer again every second, as it was and with its name's last byte
    // changed under the signature, to whoever listens now.
    if (!captured.empty() && static_cast<int>(GetTickCount() - replay_at) >= 0) {
      std::string altered = captured;
      altered[altered.size() - 33] ^= 1;
      socket.Broadcast(captured);
      socket.Broadcast(altered);
      ++replayed;
      replay_at = GetTickCount() + 1000;
    }
    std::string datagram;
    std::uint32_t from = 0;
    if (socket.Receive(200, nullptr, datagram, from) != lr::AssignSocket::Wait::kDatagram) continue;
    if (const auto request = lr::ParseAssignRequest(datagram)) {
      socket.Broadcast(lr::EncodeAssignAnswer(
          crypto, wrong,
          {request->package_id, request->nonce, request->macs[0], "192.168.77.66", "EVIL"}));
      ++forged;
    } else if (const auto heard = lr::ParseAssignAnswer(datagram);
               heard && heard->name != "EVIL" && captured.empty()) {
      captured = datagram;
    }
  }
  std::printf("forged %d, replayed %d times\n", forged, replayed);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 7 && std::wstring(argv[1]) == L"master") return Master(argv);
  if (argc == 3 && std::wstring(argv[1]) == L"forge") return Forge(_wtoi(argv[2]));
  std::fprintf(stderr, "usage: assign_lab master SETTINGS MAC IP NAME LOG | forge SECONDS\n");
  return 2;
}

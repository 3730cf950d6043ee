// Drives a running Lanroster.exe from outside, as a user at the keyboard would: waits for
// its main window, presses "开始扫描" and waits until the status bar reports the end of the
// sweep (exit status 0), or with --exit ends the program through its menu's exit. Used by
// the lab demo to show a scanned cafe without a person.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "hostlist/win32/Unit1.h"

namespace {

using lr::TForm1;

std::wstring Text(HWND hwnd) {
  wchar_t buf[512] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return buf;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool exit_after = argc > 1 && std::wcscmp(argv[1], L"--exit") == 0;
  HWND main = nullptr;
  for (int i = 0; i < 600 && !(main = FindWindowW(L"TForm1", nullptr)); ++i) Sleep(100);
  if (!main) {
    std::fprintf(stderr, "no Lanroster window\n");
    return 2;
  }
  if (exit_after) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(TForm1::kN8, 0), 0);
    return 0;
  }
  Sleep(500);
  HWND status = GetDlgItem(main, TForm1::kStatusBar1);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(TForm1::kBtnScan, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, TForm1::kToolBar)));
  const std::wstring done = L"\x626B\x63CF\x6210\x529F\x5B8C\x6210\xFF01";  // 扫描成功完成！
  bool ended = false;
  for (int i = 0; i < 1800 && !ended; ++i) {
    Sleep(100);
    ended = Text(status) == done;
  }
  std::printf(ended ? "sweep ended\n" : "the sweep did not end\n");
  return ended ? 0 : 1;
}

// A focused top-level window that logs every keyboard message it receives, one line each,
// to C:\lrhp\keys.log, and creates C:\lrhp\keys.ready once it has the focus:
//
//   D vk scan ext   WM_KEYDOWN / WM_SYSKEYDOWN (hexadecimal virtual key and scan code)
//   U vk scan ext   WM_KEYUP / WM_SYSKEYUP
//   C code          WM_CHAR (hexadecimal character code)
//
// It runs until it is closed or its wineserver ends.
#include <windows.h>

#include <cstdio>

namespace {

FILE* g_log = nullptr;

void LogKey(char kind, WPARAM vk, LPARAM lp) {
  std::fprintf(g_log, "%c %02x %02x %d\n", kind, static_cast<unsigned>(vk),
               static_cast<unsigned>((lp >> 16) & 0xFF), static_cast<int>((lp >> 24) & 1));
  std::fflush(g_log);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      LogKey('D', wp, lp);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      LogKey('U', wp, lp);
      return 0;
    case WM_CHAR:
      std::fprintf(g_log, "C %02x\n", static_cast<unsigned>(wp));
      std::fflush(g_log);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  CreateDirectoryW(L"C:\\lrhp", nullptr);
  g_log = _wfopen(L"C:\\lrhp\\keys.log", L"ab");
  if (!g_log) return 3;

  WNDCLASSW wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"LrhpKeyLog";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"keylog", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                              0, 400, 300, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 4;
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);

  // Tell the suite once the focus is ours.
  SetTimer(hwnd, 1, 50, nullptr);
  bool ready = false;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !ready && GetFocus() == hwnd) {
      ready = true;
      KillTimer(hwnd, 1);
      if (FILE* f = _wfopen(L"C:\\lrhp\\keys.ready", L"wb")) std::fclose(f);
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  std::fclose(g_log);
  return 0;
}

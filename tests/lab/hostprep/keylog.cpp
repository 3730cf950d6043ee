// A focused top-level window that logs every keyboard message it receives, one line each,
// to C:\lrhp\keys.log, and creates C:\lrhp\keys.ready once it has the focus:
//
//   D vk scan ext   WM_KEYDOWN / WM_SYSKEYDOWN (hexadecimal virtual key and scan code)
//   U vk scan ext   WM_KEYUP / WM_SYSKEYUP
//   C code          WM_CHAR (hexadecimal character code)
//
// It also stands in for the person at the clone: a message box of Hostprep's is answered
// with OK once its texts are appended, as UTF-8, one line per box, to C:\lrhp\boxes.log.
//
// It runs until it is closed or its wineserver ends.
#include <windows.h>

#include <cstdio>
#include <string>

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

BOOL CALLBACK CollectText(HWND child, LPARAM lp) {
  wchar_t text[4096];
  if (GetWindowTextW(child, text, 4096) > 0) {
    std::wstring& all = *reinterpret_cast<std::wstring*>(lp);
    all += (all.empty() ? L"" : L" | ") + std::wstring(text);
  }
  return TRUE;
}

// Answers a message box titled "Hostprep", logging its texts (line ends as "\n"). A box
// still up at the next look (a slow start closes it later than 200 ms) is answered again but
// logged once.
void AnswerBox() {
  static HWND answered = nullptr;
  HWND box = FindWindowW(L"#32770", L"Hostprep");
  // A box is shown once its texts are in place; until then it may be found half made.
  if (!box || !IsWindowVisible(box)) return;
  if (box == answered) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return;
  }
  answered = box;
  std::wstring all;
  EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&all));
  std::string utf8(all.size() * 3 + 1, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, all.c_str(), static_cast<int>(all.size()),
                                  utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
  std::string line;
  for (char c : utf8) {
    if (c == '\r') continue;
    line += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  if (FILE* f = _wfopen(L"C:\\lrhp\\boxes.log", L"ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
  PostMessageW(box, WM_COMMAND, IDOK, 0);
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

  // Tell the suite once the focus is ours; look for message boxes all along.
  SetTimer(hwnd, 1, 50, nullptr);
  SetTimer(hwnd, 2, 200, nullptr);
  bool ready = false;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.wParam == 2) AnswerBox();
    if (msg.message == WM_TIMER && msg.wParam == 1 && !ready && GetFocus() == hwnd) {
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

// The client configurator's Windows shell against the API as Wine provides it: the
// keyboard driving a focused window of this thread (with the message pumping of the wait
// flag), Num Lock through the key state, the registry writes of the machine, and the own
// MAC text from rpcrt4.dll.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/format.h"
#include "clientprep/apply_sequence.h"
#include "clientprep/send_keys.h"
#include "clientprep/win32/get_own_mac_text.h"
#include "clientprep/win32/win_client_machine.h"
#include "clientprep/win32/win_keyboard.h"
#include "package/win32/adapters.h"
#include "package/win32/win_file.h"
#include "package/win32/write_faults.h"
#include "tests/unit/send_keys_fake.h"
#include "ui/message_box.h"
#include "ui/text.h"

// Vista's call, which the XP headers leave out; Wine has it.
extern "C" LONG WINAPI RegDeleteTreeW(HKEY key, LPCWSTR subkey);

namespace lr::clientprep {
namespace {

std::vector<std::string>* g_keys = nullptr;

LRESULT CALLBACK KeyWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (g_keys) {
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
      g_keys->push_back(StrFormat("D%02X", static_cast<unsigned>(wp)));
    if (msg == WM_KEYUP || msg == WM_SYSKEYUP)
      g_keys->push_back(StrFormat("U%02X", static_cast<unsigned>(wp)));
    if (msg == WM_CHAR) g_keys->push_back(StrFormat("C%c", static_cast<char>(wp)));
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A visible top-level window of this thread holding the keyboard focus.
class FocusedWindow {
 public:
  FocusedWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = KeyWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HostprepKeyTest";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
    Drain();
  }
  ~FocusedWindow() {
    DestroyWindow(hwnd_);
    Drain();
  }
  static void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

TEST(HostprepWinTest, WaitingSendDeliversKeysAndCharactersBeforeItReturns) {
  FocusedWindow window;
  ASSERT_EQ(GetFocus(), window.hwnd());
  std::vector<std::string> keys;
  g_keys = &keys;
  WinKeyboard keyboard;
  EXPECT_TRUE(SendKeys("a+b{F3}~", true, keyboard));
  g_keys = nullptr;  // nothing pumped after the call counts
  EXPECT_EQ(keys, (std::vector<std::string>{"D41", "Ca", "U41", "D10", "D42", "CB", "U42", "U10",
                                            "D72", "U72", "D0D", "C\r", "U0D"}));
  // Shift is up again afterwards.
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

TEST(HostprepWinTest, NumLockFlipsTheThreadsKeyState) {
  WinKeyboard keyboard;
  const int before = GetKeyState(VK_NUMLOCK) & 1;
  EXPECT_TRUE(SendKeys("{NUMLOCK}", false, keyboard));
  EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, !before);
  EXPECT_TRUE(SendKeys("{NUMLOCK}", false, keyboard));
  EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, before);
}

TEST(HostprepWinTest, KeyboardMessagesAreSendKeysBoxes) {
  std::vector<std::string> boxes;
  ui::MessageBoxSeam old = ui::SetMessageBoxSeam(
      [&](const std::string& caption, const std::string& text, unsigned type) {
        boxes.push_back(caption + "|" + text + StrFormat("|%x", type));
        return IDOK;
      });
  WinKeyboard keyboard;
  EXPECT_FALSE(SendKeys("{F3", false, keyboard));
  EXPECT_TRUE(SendKeys("{NOPE}", false, keyboard));
  ui::SetMessageBoxSeam(old);
  EXPECT_EQ(boxes,
            (std::vector<std::string>{"SendKeys|No Close|0", "SendKeys|Invalid Key Name|0"}));
}

std::wstring ReadString(const wchar_t* key, const wchar_t* value) {
  wchar_t data[256] = {};
  DWORD size = sizeof data - sizeof(wchar_t), type = 0;
  HKEY k;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return L"<nokey>";
  const LONG rc = RegQueryValueExW(k, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return L"<absent>";
  return type == REG_SZ ? std::wstring(data) : L"<type>";
}

TEST(HostprepWinTest, MachineWritesGbkStringsAndDwordsUnderLocalMachine) {
  const wchar_t* wkey = L"SOFTWARE\\LanrosterTest\\Hostprep";
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, wkey);
  WinClientMachine machine;
  // Nothing open: writes fail.
  EXPECT_FALSE(machine.SetString("Hostname", "x"));
  machine.OpenKey("SOFTWARE\\LanrosterTest\\Hostprep");               // created when missing
  EXPECT_TRUE(machine.SetString("Hostname", "\xCD\xF8\xB0\xC9-21"));  // 网吧-21
  EXPECT_TRUE(machine.SetDword("VirtualNetworkNumber", 100003));
  EXPECT_FALSE(machine.ValueExists("hostprep"));
  EXPECT_TRUE(machine.SetString("hostprep", "C:\\Windows\\Hostprep.exe"));
  EXPECT_TRUE(machine.ValueExists("hostprep"));
  EXPECT_TRUE(machine.DeleteValue("hostprep"));
  EXPECT_FALSE(machine.ValueExists("hostprep"));
  machine.CloseKey();
  EXPECT_FALSE(machine.SetString("Hostname", "y"));

  EXPECT_EQ(ReadString(wkey, L"Hostname"), L"\u7F51\u5427-21");
  EXPECT_EQ(ReadString(wkey, L"hostprep"), L"<absent>");
  HKEY k;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, wkey, 0, KEY_READ, &k), ERROR_SUCCESS);
  DWORD number = 0, size = sizeof number, type = 0;
  EXPECT_EQ(RegQueryValueExW(k, L"VirtualNetworkNumber", nullptr, &type,
                             reinterpret_cast<BYTE*>(&number), &size),
            ERROR_SUCCESS);
  RegCloseKey(k);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 100003u);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, wkey);
}

TEST(HostprepWinTest, MachineReadsTheWholeSettingsFileOrReportsItMissing) {
  const wchar_t* path = L"C:\\Windows\\Myset.ini";
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "a real Myset.ini";
  WinClientMachine machine;
  EXPECT_EQ(machine.ReadSettingsFile(), std::nullopt);
  // Larger than one read, with NUL and GBK bytes.
  std::string bytes = "[InfoList]\r\n";
  for (int i = 0; bytes.size() < 40000; ++i) {
    bytes +=
        StrFormat("00-00-00-00-%02X-%02X=10.0.%d.%d~\xCD\xF8", i / 256, i % 256, i / 256, i % 256);
    bytes += '\0';
    bytes += "\r\n";
  }
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  const std::optional<std::string> read = machine.ReadSettingsFile();
  DeleteFileW(path);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, bytes);
}

TEST(HostprepWinTest, OwnAndAdapterMacTexts) {
  // Empty where the machine has no adapter (a namespace with loopback only).
  const std::string first = GetOwnMacText();
  EXPECT_EQ(GetOwnMacText(), first);
  EXPECT_TRUE(first.empty() || first.size() == 17u) << first;
  for (const NetAdapter& a : ListNetAdapters())  // the lab checks names and order
    EXPECT_TRUE(a.mac.size() == 17 && a.mac[2] == '-' &&
                a.mac.find_first_of("abcdef") == std::string::npos)
        << a.mac;
}

// The real machine's registry and file writes under a test key and a test settings file;
// no computer name, commands, pauses or keys reach the system.
class WritesOnlyMachine : public WinClientMachine {
 public:
  using WinClientMachine::WinClientMachine;
  std::string OwnMacText() override { return "00-1A-2B-3C-4D-5E"; }
  std::vector<Adapter> Adapters() override { return {}; }
  void ApplyComputerName(const std::string&) override {}
  void StartCommand(const std::string& command, bool) override { commands.push_back(command); }
  CommandResult RunCommand(const CommandLine& command, unsigned) override {
    commands.push_back(command.shown);
    return {};
  }
  void Pause(unsigned) override {}
  bool AddressInPlace(const Adapter&, const std::string&, const std::string&,
                      const std::string&) override {
    return true;
  }
  Keyboard& keyboard() override { return keys; }
  void AppendRunLog(const std::string& line) override { run_log.push_back(line); }
  std::vector<std::string> commands, run_log;
  testing::FakeKeyboard keys;
};

TEST(HostprepWinTest, EveryFailingWritePointIsShownAndLeavesAKnownState) {
  const std::wstring root_path = L"SOFTWARE\\LanrosterTest\\Faults", path = L"C:\\windows\\f.ini";
  const std::string head = "[AutoSet]\r\nGateway=10.0.0.1\r\nMask=255.0.0.0\r\n";
  const std::string pw = "UnlockPW=0E05\r\n";
  const std::string tail = "CanModifyRA2=Yes\r\n[InfoList]\r\n00-1A-2B-3C-4D-5E=10.0.0.9~PC9\r\n";
  const std::string bytes = head + pw + tail;
  int boxes = 0;
  ui::MessageBoxSeam old = ui::SetMessageBoxSeam([&](auto&, auto&, unsigned) { return ++boxes; });
  PSECURITY_DESCRIPTOR closed = nullptr;  // administrators and SYSTEM only
  ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;BA)(A;;FA;;;SY)", 1, &closed,
                                                       nullptr);
  auto acl = [&] {
    char sd[1024] = {};
    DWORD size = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, sd, sizeof sd, &size);
    return std::string(sd, size);
  };
  for (int n = 1;; ++n) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, root_path.c_str());
    HKEY root = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, root_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &root, nullptr);
    WritesOnlyMachine machine(root, ui::Gbk(path));
    ASSERT_TRUE(machine.OpenKey(kRunKey) && machine.SetString(kRunValue, "x"));
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(f);
    SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, closed);
    const std::string acl_before = acl();
    boxes = 0;
    write_faults::Arm(n);
    const ApplyResult result = RunApplySequence(machine);
    const bool failed = write_faults::Failed() != nullptr;
    write_faults::Arm(0);
    const std::string file = machine.ReadSettingsFile().value_or("<none>");
    const bool run_kept = machine.OpenKey(kRunKey) && machine.ValueExists(kRunValue);
    machine.CloseKey();
    RegCloseKey(root);
    for (const wchar_t* left : {L".new~", L".old~"})
      EXPECT_EQ(GetFileAttributesW((path + left).c_str()), INVALID_FILE_ATTRIBUTES) << n;
    EXPECT_EQ(machine.run_log.size(), 1u);
    if (!failed) {  // past the last write point: the whole run succeeds, the file stays closed
      EXPECT_TRUE(result == kDone && file == head + tail && !run_kept && acl() == acl_before);
      std::printf("write points covered: %d\n", n - 1);
      break;
    }
    // A replace that failed half way and put the new file in place lets the run go on.
    if (result == kDone) {
      EXPECT_TRUE(file == head + tail && !run_kept && boxes == 0) << n << write_faults::Failed();
      continue;
    }
    // Shown once, not reported as done, the Run value kept, the file whole.
    EXPECT_TRUE(result != kDone && boxes == 1 && run_kept) << n;
    EXPECT_TRUE(file == bytes || (file == head + tail && !machine.commands.empty())) << n;
  }
  LocalFree(closed);
  ui::SetMessageBoxSeam(old);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, root_path.c_str());
  DeleteFileW(path.c_str());
}

TEST(HostprepWinTest, TheBootStepsMarkLivesOnlyInTheServicesOwnKey) {
  const std::wstring root_path = L"SOFTWARE\\LanrosterTest\\Service";
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, root_path.c_str());
  HKEY root = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, root_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &root, nullptr),
            ERROR_SUCCESS);
  WinClientMachine machine(root);
  // No service: no mark can be made, and no key is made for one.
  EXPECT_FALSE(machine.ServiceRegistered() || machine.MarkBootSteps() || machine.BootStepsMarked());
  EXPECT_FALSE(machine.ServiceRegistered());
  HKEY service = nullptr;
  RegCreateKeyExW(root, L"SYSTEM\\CurrentControlSet\\Services\\hostprep", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &service, nullptr);
  RegCloseKey(service);
  EXPECT_TRUE(machine.ServiceRegistered());
  EXPECT_FALSE(machine.BootStepsMarked());
  EXPECT_TRUE(machine.MarkBootSteps());
  EXPECT_TRUE(machine.BootStepsMarked());
  EXPECT_FALSE(machine.RunValueExists());
  RegCloseKey(root);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, root_path.c_str());
}

TEST(HostprepWinTest, CommandIsWaitedForWithItsExitCodeAndOutput) {
  using Outcome = CommandResult::Outcome;
  struct Case {
    CommandLine command;
    Outcome outcome;
    std::uint32_t exit_code;
    std::string output;
  };
  const Case cases[] = {
      {{"cmd /c echo ", u"ab", " & exit 7", ""}, Outcome::kExited, 7, "ab"},
      {{"cmd /c ", u"exit", " 0", ""}, Outcome::kExited, 0, ""},
      {{"lr-no-such-program", u"", ".exe", ""}, Outcome::kNotStarted, 0, ""},
  };
  WinClientMachine machine;
  for (const Case& c : cases) {
    const CommandResult r = machine.RunCommand(c.command, kAddressCommandTimeout);
    EXPECT_EQ(r.outcome, c.outcome) << c.command.head;
    EXPECT_EQ(r.exit_code, c.exit_code) << c.command.head;
    EXPECT_EQ(r.output, c.output) << c.command.head;
  }
}

TEST(HostprepWinTest, RunLogIsAppendedAndKeptToItsLastLines) {
  const std::wstring path = L"C:\\windows\\lr-test-hostprep.log";
  DeleteFileW(path.c_str());
  WinClientMachine machine(HKEY_LOCAL_MACHINE, "C:\\windows\\none.ini", ui::Gbk(path));
  const std::string line(100, 'x');
  for (size_t i = 0; i < kRunLogLimit / 100 + 5; ++i) machine.AppendRunLog(line + "\r\n");
  std::string log = ReadFileBytes(path).value_or("");
  EXPECT_LE(log.size(), kRunLogLimit);
  EXPECT_EQ(log.size() % 102, 0u);
  machine.AppendRunLog("last\r\n");
  log = ReadFileBytes(path).value_or("");
  EXPECT_EQ(log.substr(log.size() - 6), "last\r\n");
  EXPECT_EQ(log.substr(0, 102), line + "\r\n");
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace lr::clientprep

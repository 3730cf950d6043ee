// What the main-window and record-dialog tests share: the real windows created in-process,
// the message boxes, file dialogs and shell requests answered and recorded through their
// seams, and a way to act inside a modal loop (a closure posted to the thread's queue runs
// when the dialog's loop dispatches it).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hostlist/win32/Add.h"
#include "hostlist/win32/Unit1.h"
#include "ui/controls.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/shell.h"
#include "ui/text.h"

namespace lr::test {

struct ShownBox {
  std::string caption;
  std::string text;
  unsigned type;
};

// Runs queued closures from the thread's message loop, whichever loop is running.
class LaterRunner {
 public:
  LaterRunner() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &LaterRunner::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LrTestLater";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, L"LrTestLater", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~LaterRunner() { DestroyWindow(hwnd_); }
  void Post(std::function<void()> fn) {
    PostMessageW(hwnd_, WM_APP, 0,
                 reinterpret_cast<LPARAM>(new std::function<void()>(std::move(fn))));
  }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP) {
      std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(l));
      (*fn)();
      return 0;
    }
    return DefWindowProcW(h, m, w, l);
  }
  HWND hwnd_ = nullptr;
};

// Answers the real message boxes of the process from a second thread, as a person
// would: `answer` gets each new box's caption (GBK), may post messages first (a close to
// the main window) and returns the button to press.
class RealBoxes {
 public:
  explicit RealBoxes(std::function<int(const std::string&)> answer)
      : answer_(std::move(answer)), worker_([this] { Run(); }) {}
  ~RealBoxes() { Stop(); }
  // Stops answering; returns the captions of the boxes answered, in order.
  std::vector<std::string> Stop() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    return captions_;
  }

 private:
  void Run() {
    for (std::vector<HWND> answered; !stop_; Sleep(10)) {
      HWND box = FindWindowW(L"#32770", nullptr);  // the one box up at a time
      if (!box || !IsWindowVisible(box) || std::count(answered.begin(), answered.end(), box))
        continue;
      answered.push_back(box);
      wchar_t caption[128] = {};
      GetWindowTextW(box, caption, 128);
      captions_.push_back(ui::Gbk(caption));
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer_(captions_.back())), 0);
    }
  }
  std::function<int(const std::string&)> answer_;
  std::vector<std::string> captions_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

// Handles every message waiting in the thread's queue.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A main window with its record dialog, as the program creates them, with every seam
// answered by the test.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    dir_ =
        std::filesystem::temp_directory_path() /
        (L"lr_win_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter_++));
    std::filesystem::create_directories(dir_);
    ui::SetMessageBoxSeam(
        [this](const std::string& caption, const std::string& text, unsigned type) {
          boxes_.push_back({caption, text, type});
          if (on_box_) on_box_(boxes_.back());
          if (!box_answers_.empty()) {
            const int answer = box_answers_.front();
            box_answers_.pop_front();
            return answer;
          }
          return IDOK;
        });
    ui::SetFileDialogSeam([this](const ui::FileDialogRequest& request) {
      dialogs_.push_back(request);
      ui::FileDialogResult result;
      if (!dialog_answers_.empty()) {
        result = dialog_answers_.front();
        dialog_answers_.pop_front();
      }
      return result;
    });
    ui::SetShellOpenSeam([this](const std::wstring& target) { shell_.push_back(target); });

    TForm1Options options;
    options.scan.dump_path = dir_ / L"IPMAC.TXT";
    options.scan.arp_command = "cmd /c echo.";
    options.scan.harvest_pause_ms = 0;
    options.scan.dump_pause_ms = 0;
    options.quit = [this] { ++quits_; };
    options.show_generator = [this] { ++generator_shown_; };
    options.remove_client = [this] { ++removals_; };
    AdjustOptions(options);
    form_ = std::make_unique<TForm1>(std::move(options));
    ASSERT_TRUE(form_->Create());
    frm_add_ = std::make_unique<TFrmAdd>(*form_);
    ASSERT_TRUE(frm_add_->Create(form_->hwnd()));
    form_->SetRecordDialog(frm_add_.get());
    form_->Show();
    Pump();
    boxes_.clear();  // a busy port 6767 on this machine is the scanner's concern, not ours
  }

  // A fixture that needs other scan settings changes them here.
  virtual void AdjustOptions(TForm1Options&) {}

  void TearDown() override {
    frm_add_.reset();
    form_.reset();
    Pump();
    ui::SetMessageBoxSeam({});
    ui::SetFileDialogSeam({});
    ui::SetShellOpenSeam({});
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // The boxes of the window's own texts (the scanner's socket complaints left out).
  std::vector<ShownBox> BoxesCaptioned(const std::string& caption) const {
    std::vector<ShownBox> out;
    for (const auto& b : boxes_)
      if (b.caption == caption) out.push_back(b);
    return out;
  }

  HWND List() const { return form_->control(TForm1::kListview1); }

  void AddRecords(std::initializer_list<HostRecord> records) {
    for (const auto& r : records) form_->Hosts().Append(r);
    form_->HostsChanged();
  }

  void Select(int row) {
    form_->RefreshList();
    ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0)
      ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
  }
  int SelectedRow() const {
    form_->RefreshList();
    return ListView_GetNextItem(List(), -1, LVNI_SELECTED);
  }

  // The text the list control shows in a cell (asked of the control, not the model).
  std::string Cell(int row, int column) const {
    form_->RefreshList();
    wchar_t buf[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 512;
    SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return ui::Gbk(buf);
  }
  int Rows() const {
    form_->RefreshList();
    return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
  }

  // A toolbar or popup command as the user gives it: from the menu (lParam 0), from a
  // shortcut key (code 1) or from the toolbar (the toolbar's window).
  void Menu(int id) { SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  void Shortcut(int id) { SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 1), 0); }
  void Toolbar(int id) {
    SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form_->control(TForm1::kToolBar)));
  }

  std::string ReadFile(const std::filesystem::path& p) {
    std::string out;
    EXPECT_TRUE(ReadWholeFile(p, out).ok);
    return out;
  }

  void WriteFile(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  static inline int counter_ = 0;
  std::filesystem::path dir_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<TFrmAdd> frm_add_;
  LaterRunner later_;
  std::vector<ShownBox> boxes_;
  std::deque<int> box_answers_;
  std::function<void(const ShownBox&)> on_box_;
  std::vector<ui::FileDialogRequest> dialogs_;
  std::deque<ui::FileDialogResult> dialog_answers_;
  std::vector<std::wstring> shell_;
  int quits_ = 0;
  int generator_shown_ = 0;
  int removals_ = 0;
};

// Handles the thread's messages until `done` holds or `limit_ms` have passed (a bound on
// waiting, not a measured figure); returns whether `done` held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limit_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  return true;
}

// Saves what the screen shows of `hwnd` as a 24-bit BMP.
inline bool SaveWindowPicture(HWND hwnd, const std::filesystem::path& path) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biCompression = BI_RGB;
  const int stride = (w * 3 + 3) & ~3;
  std::string pixels(static_cast<size_t>(stride) * h, '\0');
  GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  out.write(reinterpret_cast<const char*>(&bi), sizeof bi);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return out.good();
}

inline ui::FileDialogResult Chosen(const std::filesystem::path& p, int filter_index = 1) {
  return {true, p, filter_index};
}

inline HostRecord Rec(std::string ip, std::string mac, std::string wg, std::string name) {
  return HostRecord{std::move(ip), std::move(mac), std::move(wg), std::move(name), ""};
}

}  // namespace lr::test

// Figures and pictures of the main window, printed and saved rather than asserted:
// records per second inserted at the top during a burst, the time to sort 65,536 records
// by each column, and screenshots of the window with a list and of the record dialog in
// both modes. They run when LR_WINDOW_FIGURES names a folder for the pictures.
#include <cstdio>
#include <cstdlib>

#include "tests/win/main_window_test_support.h"

namespace lr::test {
namespace {

std::wstring FiguresFolder() {
  const wchar_t* dir = _wgetenv(L"LR_WINDOW_FIGURES");
  return dir ? dir : L"";
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

HostRecord CafePc(int i) {
  char ip[32], mac[32], name[32];
  std::snprintf(ip, sizeof ip, "192.168.%d.%d", i / 250, i % 250 + 2);
  std::snprintf(mac, sizeof mac, "00-1A-2B-%02X-%02X-%02X", (i * 7) & 0xFF, (i >> 8) & 0xFF,
                i & 0xFF);
  std::snprintf(name, sizeof name, "PC%03d", (i * 37) % 1000);
  return Rec(ip, mac, i % 3 ? "WORKGROUP" : "网吧", name);
}

using MainWindowFigures = MainWindowTest;

TEST_F(MainWindowFigures, BurstAtTheTopAndSortsOf65536Records) {
  if (FiguresFolder().empty()) GTEST_SKIP() << "set LR_WINDOW_FIGURES to a folder";
  const wchar_t* count = _wgetenv(L"LR_BURST_RECORDS");
  const int kRecords = count ? _wtoi(count) : 65536;
  const LARGE_INTEGER t0 = Now();
  for (int i = 0; i < kRecords; ++i) {
    form_->Hosts().InsertTop(CafePc(i));
    form_->HostsChanged();
    if (i % 256 == 0) Pump();  // the window handles its input between replies
  }
  const LARGE_INTEGER t1 = Now();
  form_->RefreshList();
  UpdateWindow(List());
  const LARGE_INTEGER t2 = Now();
  std::printf(
      "burst: %d records inserted at the top in %.3f s: %.0f records/s; "
      "the list brought up to date and repainted after it in %.1f ms\n",
      kRecords, Seconds(t0, t1), kRecords / Seconds(t0, t1), Seconds(t1, t2) * 1000);
  EXPECT_EQ(Rows(), kRecords);
  EXPECT_EQ(Cell(0, 0), CafePc(kRecords - 1).ip);
  for (int column = 0; column < 5; ++column) {
    const LARGE_INTEGER s0 = Now();
    form_->Listview1ColumnClick(column);
    form_->RefreshList();
    UpdateWindow(List());
    const LARGE_INTEGER s1 = Now();
    std::printf("sort of %d records by column %d: %.1f ms\n", kRecords, column,
                Seconds(s0, s1) * 1000);
  }
  std::fflush(stdout);
}

TEST_F(MainWindowFigures, CreatingTheWindowsUntilShown) {
  if (FiguresFolder().empty()) GTEST_SKIP() << "set LR_WINDOW_FIGURES to a folder";
  for (int round = 0; round < 3; ++round) {
    const LARGE_INTEGER t0 = Now();
    TForm1Options options;
    options.scan.dump_path = dir_ / L"IPMAC.TXT";
    TForm1 form(std::move(options));
    ASSERT_TRUE(form.Create());
    TFrmAdd add(form);
    ASSERT_TRUE(add.Create(form.hwnd()));
    form.SetRecordDialog(&add);
    form.Show();
    const LARGE_INTEGER t1 = Now();
    std::printf("main window and record dialog created and shown in-process: %.1f ms\n",
                Seconds(t0, t1) * 1000);
  }
  std::fflush(stdout);
}

TEST_F(MainWindowFigures, Screenshots) {
  if (FiguresFolder().empty()) GTEST_SKIP() << "set LR_WINDOW_FIGURES to a folder";
  const std::filesystem::path dir(FiguresFolder());
  for (int i = 0; i < 24; ++i) form_->Hosts().Append(CafePc(i));
  form_->HostsChanged();
  form_->SetStatus(0, "扫描成功完成！");
  form_->SetStatus(1, "扫描成功完成！共发现主机数：24 台!");
  Select(3);
  SetForegroundWindow(form_->hwnd());
  Pump();
  Sleep(300);
  Pump();
  EXPECT_TRUE(SaveWindowPicture(form_->hwnd(), dir / L"main_window.bmp"));

  later_.Post([&] {
    frm_add_->AddIP().SetIPString("192.168.0.30");
    ui::SetText(frm_add_->edtMAC(), "00-1A-2B-3C-4D-5E");
    ui::SetText(frm_add_->edtName(), "网吧030");
    UpdateWindow(frm_add_->hwnd());
    Sleep(300);
    Pump();
    EXPECT_TRUE(SaveWindowPicture(frm_add_->hwnd(), dir / L"record_dialog_add.bmp"));
    SendMessageW(frm_add_->hwnd(), WM_CLOSE, 0, 0);
  });
  form_->SpeedButton1Click();
  later_.Post([&] {
    UpdateWindow(frm_add_->hwnd());
    Sleep(300);
    Pump();
    EXPECT_TRUE(SaveWindowPicture(frm_add_->hwnd(), dir / L"record_dialog_edit.bmp"));
    SendMessageW(frm_add_->hwnd(), WM_CLOSE, 0, 0);
  });
  form_->SpeedButton2Click();
}

}  // namespace
}  // namespace lr::test

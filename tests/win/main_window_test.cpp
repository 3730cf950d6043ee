// The main window driven with window messages: its controls as shown, delete, sorting,
// in-place edit of the address, the list files, the client-configuration button, help,
// the status-bar link, and every way of closing.
#include "hostlist/win32/RosterCompare.h"
#include "tests/win/main_window_test_support.h"

namespace lr::test {
namespace {

std::string HeaderText(HWND list, int column, int* width, int* format) {
  wchar_t buf[64] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  col.pszText = buf;
  col.cchTextMax = 64;
  SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
  *width = col.cx;
  *format = col.fmt & LVCFMT_JUSTIFYMASK;
  return ui::Gbk(buf);
}

TEST_F(MainWindowTest, ShowsItsControlsAsAtStart) {
  HWND h = form_->hwnd();
  RECT wr{};
  GetWindowRect(h, &wr);
  EXPECT_EQ(wr.right - wr.left, 840);
  EXPECT_EQ(wr.bottom - wr.top, 576);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((wr.left + wr.right) - (work.left + work.right)), 1);
  EXPECT_NE(ui::GetText(h).find("[", 0), std::string::npos);

  EXPECT_EQ(form_->edtStart().IPString(), "192.168.0.1");
  EXPECT_EQ(form_->edtEnd().IPString(), "192.168.0.254");
  HWND combo = form_->control(TForm1::kComboBox1);
  EXPECT_EQ(ui::GetText(combo), "NetBios");
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(ui::GetText(form_->control(TForm1::kSpinEdit1)), "100");
  EXPECT_EQ(ui::GetText(form_->control(TForm1::kChkFast)), "快速扫描");
  EXPECT_EQ(IsDlgButtonChecked(h, TForm1::kChkFast), static_cast<UINT>(BST_UNCHECKED));

  const char* captions[] = {"IP地址", "MAC地址", "工作组", "计算机名", "备注及其它"};
  const int widths[] = {130, 130, 130, 130, 250};
  const int formats[] = {LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_CENTER, LVCFMT_CENTER, LVCFMT_LEFT};
  for (int i = 0; i < 5; ++i) {
    int width = 0, format = 0;
    EXPECT_EQ(HeaderText(List(), i, &width, &format), captions[i]);
    EXPECT_EQ(width, widths[i]);
    EXPECT_EQ(format, formats[i]);
  }
  const LONG_PTR style = GetWindowLongPtrW(List(), GWL_STYLE);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  EXPECT_FALSE(style & LVS_SINGLESEL);  // the program selects several rows; a person one
  EXPECT_TRUE(style & LVS_EDITLABELS);

  int parts[4] = {};
  EXPECT_EQ(SendMessageW(form_->control(TForm1::kStatusBar1), SB_GETPARTS, 4,
                         reinterpret_cast<LPARAM>(parts)),
            3);
  EXPECT_EQ(parts[0], 300);
  EXPECT_EQ(parts[1] - parts[0], 250);
  EXPECT_EQ(parts[2] - parts[1], 100);

  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kBtnScan));
  EXPECT_FALSE(form_->ButtonEnabled(TForm1::kBtnStop));
  for (auto b : {TForm1::kSpeedButton1, TForm1::kSpeedButton2, TForm1::kSpeedButton3,
                 TForm1::kBtnExport, TForm1::kSpeedButton4, TForm1::kBtnInstall, TForm1::kBtnHelp})
    EXPECT_TRUE(form_->ButtonEnabled(b)) << b;

  HWND panel = form_->control(TForm1::kPanel1);
  EXPECT_FALSE(IsWindowVisible(panel));
  RECT pr{};
  GetWindowRect(panel, &pr);
  EXPECT_EQ(pr.right - pr.left, 345);
  EXPECT_EQ(pr.bottom - pr.top, 49);
}

TEST_F(MainWindowTest, DeleteRemovesTheSelectedRecordOrWarns) {
  form_->SpeedButton3Click();  // empty list: the selection warning, not the empty-list one
  AddRecords({Rec("1", "a", "-", "x"), Rec("2", "b", "-", "y"), Rec("3", "c", "-", "z")});
  form_->SpeedButton3Click();
  Select(1);
  Menu(TForm1::kSpeedButton3);  // N3
  auto warnings = BoxesCaptioned("警告");
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0].text, "您并没有选中要删除的记录！");
  EXPECT_EQ(warnings[1].text, "您并没有选中要删除的记录！");
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(0, 0), "1");
  EXPECT_EQ(Cell(1, 0), "3");
  EXPECT_EQ(SelectedRow(), -1);
  // The Delete key in the list does the same.
  Select(0);
  SendMessageW(List(), WM_KEYDOWN, VK_DELETE, 0);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 0), "3");
}

TEST_F(MainWindowTest, SortByAClickedColumnKeepsTheSelectionOnItsRecord) {
  AddRecords({Rec("192.168.0.2", "b", "-", "Zeta"), Rec("192.168.0.10", "A", "-", "alpha"),
              Rec("10.0.0.1", "c", "-", "Beta")});
  Select(0);  // 192.168.0.2
  NMLISTVIEW click{};
  click.hdr.hwndFrom = List();
  click.hdr.idFrom = TForm1::kListview1;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = 0;
  SendMessageW(form_->hwnd(), WM_NOTIFY, TForm1::kListview1, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Cell(0, 0), "10.0.0.1");
  EXPECT_EQ(Cell(1, 0), "192.168.0.10");  // addresses sort as text
  EXPECT_EQ(Cell(2, 0), "192.168.0.2");
  EXPECT_EQ(SelectedRow(), 2);
  click.iSubItem = 3;  // computer name, letter case ignored
  SendMessageW(form_->hwnd(), WM_NOTIFY, TForm1::kListview1, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Cell(0, 3), "alpha");
  EXPECT_EQ(Cell(1, 3), "Beta");
  EXPECT_EQ(Cell(2, 3), "Zeta");
  EXPECT_EQ(SelectedRow(), 2);
  // Records added later are not placed by the sort.
  form_->Hosts().Append(Rec("0.0.0.1", "d", "-", "aaa"));
  form_->HostsChanged();
  EXPECT_EQ(Cell(3, 0), "0.0.0.1");
}

TEST_F(MainWindowTest, SelectionFollowsItsRecordWhileRecordsArriveAtTheTop) {
  AddRecords({Rec("10.0.0.1", "a", "-", "x"), Rec("10.0.0.2", "b", "-", "y")});
  Select(1);
  for (int i = 0; i < 3; ++i) {
    form_->Hosts().InsertTop(Rec("10.0.1." + std::to_string(i), "n", "WG", "new"));
    form_->HostsChanged();
  }
  EXPECT_EQ(SelectedRow(), 4);
  EXPECT_EQ(form_->SelectedRecord(), std::optional<size_t>(4));
  EXPECT_EQ(Cell(0, 0), "10.0.1.2");
  form_->SpeedButton3Click();
  EXPECT_EQ(form_->Hosts().Count(), 4u);
  EXPECT_EQ(form_->Hosts().At(3).ip, "10.0.0.1");
}

// The rows the check sent the administrator back to are selected together and follow their
// records; a row the administrator adds to them makes the selection that one row again.
TEST_F(MainWindowTest, RowsSelectedTogetherFollowTheirRecordsUntilOneIsChosen) {
  AddRecords({Rec("10.0.0.1", "a", "-", "x"), Rec("10.0.0.2", "b", "-", "y"),
              Rec("10.0.0.3", "c", "-", "z")});
  const auto rows = [this] {
    form_->RefreshList();
    std::vector<int> out;
    for (int i = ListView_GetNextItem(List(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(List(), i, LVNI_SELECTED))
      out.push_back(i);
    return out;
  };
  form_->SelectRecords({form_->Hosts().IdAt(2), form_->Hosts().IdAt(0)});
  form_->Hosts().InsertTop(Rec("10.0.1.1", "n", "WG", "new"));
  form_->HostsChanged();
  EXPECT_EQ(rows(), (std::vector<int>{1, 3}));
  EXPECT_EQ(form_->SelectedRecord(), std::optional<size_t>(3));
  ListView_SetItemState(List(), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(rows(), (std::vector<int>{2}));
  EXPECT_EQ(form_->SelectedRecord(), std::optional<size_t>(2));
}

TEST_F(MainWindowTest, InPlaceEditTakesAnyTextAsTheAddressAndEscKeepsIt) {
  AddRecords({Rec("10.0.0.1", "a", "WG", "x"), Rec("10.0.0.2", "b", "WG", "y")});
  Select(1);
  SetFocus(List());
  HWND edit = reinterpret_cast<HWND>(SendMessageW(List(), LVM_EDITLABELW, 1, 0));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(ui::GetText(edit), "10.0.0.2");
  ui::SetText(edit, "not an address");
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(form_->Hosts().At(1), Rec("not an address", "b", "WG", "y"));

  edit = reinterpret_cast<HWND>(SendMessageW(List(), LVM_EDITLABELW, 1, 0));
  ASSERT_NE(edit, nullptr);
  ui::SetText(edit, "");
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(form_->Hosts().At(1).ip, "");

  edit = reinterpret_cast<HWND>(SendMessageW(List(), LVM_EDITLABELW, 0, 0));
  ASSERT_NE(edit, nullptr);
  ui::SetText(edit, "1.2.3.4");
  SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_EQ(form_->Hosts().At(0).ip, "10.0.0.1");
}

TEST_F(MainWindowTest, ExportThenImportGivesTheRecordsBack) {
  AddRecords({Rec("192.168.0.5", "00-11-22-33-44-55", "WORKGROUP", "PC5"),
              Rec("10.0.0.1", "", "-", "name with spaces"), Rec("10.0.0.2", "m", "-", "")});
  const auto path = dir_ / L"导出.txt";
  dialog_answers_.push_back(Chosen(path));
  form_->btnExportClick();
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].kind, ui::FileDialogRequest::Kind::kSave);
  EXPECT_EQ(dialogs_[0].file_name, "NetInfo.txt");
  EXPECT_EQ(dialogs_[0].default_ext, "txt");
  EXPECT_EQ(dialogs_[0].filter, "文本文件(*.txt)|*.txt|CSV 文件(*.csv)|*.csv");
  EXPECT_EQ(ReadFile(path),
            "   IP\xB5\xD8\xD6\xB7        MAC\xB5\xD8\xD6\xB7       "
            "\xBC\xC6\xCB\xE3\xBB\xFA\xC3\xFB  \r\n"
            "192.168.0.5 00-11-22-33-44-55 PC5\r\n"
            "10.0.0.1  name with spaces\r\n"
            "10.0.0.2 m \r\n");
  auto done = BoxesCaptioned("提示");
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].text, "全部记录已成功导出!\r\n" + ui::Gbk(path.wstring()));

  // Named .csv by hand and opened with the CSV filter, it is still read by its header.
  std::filesystem::rename(path, dir_ / L"导出.csv");
  dialog_answers_.push_back(Chosen(dir_ / L"导出.csv", 2));
  form_->SpeedButton4Click();
  EXPECT_EQ(dialogs_.back().kind, ui::FileDialogRequest::Kind::kOpen);
  EXPECT_EQ(dialogs_.back().filter, "文本文件|*.txt|CSV 文件(*.csv)|*.csv");
  ASSERT_EQ(Rows(), 6);
  EXPECT_EQ(form_->Hosts().At(3), Rec("192.168.0.5", "00-11-22-33-44-55", "-", "PC5"));
  EXPECT_EQ(form_->Hosts().At(4), Rec("10.0.0.1", "", "-", "name with spaces"));
  EXPECT_EQ(form_->Hosts().At(5), Rec("10.0.0.2", "m", "-", ""));
  EXPECT_EQ(Cell(5, 2), "-");
  EXPECT_EQ(BoxesCaptioned("提示").size(), 1u);  // the import shows nothing
}

std::string Utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

TEST_F(MainWindowTest, CsvExportAndImportFollowTheChosenFilterOrTheName) {
  const HostRecord scanned = Rec("192.168.0.5", "00.0C.29.AB.01.FF", "WORKGROUP      ", "PC01  ");
  const HostRecord typed = Rec("10.0.0.1", "", "-", "网吧,\"A\"");
  AddRecords({scanned, typed});
  // The file written is the one the dialog named, whatever the filter; an export named ".csv"
  // is CSV, and a file named alike with the other extension is left alone.
  WriteFile(dir_ / L"名单.txt", "kept");
  const auto path = dir_ / L"名单.csv";
  dialog_answers_.push_back(Chosen(path, 1));
  form_->btnExportClick();
  EXPECT_EQ(ReadFile(dir_ / L"名单.txt"), "kept");
  EXPECT_EQ(ReadFile(path),
            "IP\xB5\xD8\xD6\xB7,MAC\xB5\xD8\xD6\xB7,\xB9\xA4\xD7\xF7\xD7\xE9,"
            "\xBC\xC6\xCB\xE3\xBB\xFA\xC3\xFB\r\n"
            "192.168.0.5,00.0C.29.AB.01.FF,WORKGROUP      ,PC01  \r\n"
            "10.0.0.1,,-,\"\xCD\xF8\xB0\xC9,\"\"A\"\"\"\r\n");
  // Without either extension the filter gives the layout; the name stays as chosen.
  dialog_answers_.push_back(Chosen(dir_ / L"backup.lst", 2));
  form_->btnExportClick();
  EXPECT_EQ(ReadFile(dir_ / L"backup.lst").rfind("IP\xB5\xD8", 0), 0u);  // no "backup.lst.csv"
  dialog_answers_.push_back(Chosen(path, 1));  // the text filter: read by its header
  form_->SpeedButton4Click();
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(form_->Hosts().At(2), scanned);
  EXPECT_EQ(form_->Hosts().At(3), typed);
  EXPECT_TRUE(BoxesCaptioned("导入列表").empty());

  // A spreadsheet's UTF-8 file with semicolons and its own column order, found by its name.
  WriteFile(dir_ / L"utf8.CSV", Utf8(u8"\uFEFF计算机名;IP地址;座位\r\nPC-甲;192.168.0.9;A1\r\n"
                                     u8"网吧한;192.168.0.10;A2\r\n"));
  // Two bad lines among good ones: an unclosed quote and a field beyond the last column.
  WriteFile(dir_ / L"bad.csv",
            "IP,Name\r\n10.0.0.20,A\r\n\"10.0.0.21,B\r\n10.0.0.22,C,x\r\n"
            "10.0.0.23,D\r\n");
  dialog_answers_ = {Chosen(dir_ / L"utf8.CSV"), Chosen(dir_ / L"bad.csv")};
  form_->SpeedButton4Click();
  form_->SpeedButton4Click();
  ASSERT_EQ(Rows(), 8);
  EXPECT_EQ(form_->Hosts().At(4), Rec("192.168.0.9", "", "-", "PC-\xBC\xD7"));
  EXPECT_EQ(form_->Hosts().At(5), Rec("192.168.0.10", "", "-", "\xCD\xF8\xB0\xC9?"));
  EXPECT_EQ(form_->Hosts().At(6), Rec("10.0.0.20", "", "-", "A"));
  EXPECT_EQ(form_->Hosts().At(7), Rec("10.0.0.23", "", "-", "D"));
  auto told = BoxesCaptioned("导入列表");
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0].text, "已读入 2 条记录。\n以下行中有 GBK 无法表示的字符，已换成“?”：第 3 行。");
  EXPECT_EQ(told[1].text,
            "已读入 2 条记录。\n以下 2 行无法读取，已跳过：\n第 3 行：引号没有闭合\n"
            "第 4 行：字段多于表头的列数");
  EXPECT_EQ(told[1].type & MB_ICONMASK, static_cast<unsigned>(MB_ICONWARNING));
}

TEST_F(MainWindowTest, ExportRefusesAnEmptyListAndReportsAFileThatCantBeWritten) {
  form_->btnExportClick();
  auto refused = BoxesCaptioned("保存文件");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].text, "没有可保存的内容！  ");
  EXPECT_TRUE(dialogs_.empty());

  AddRecords({Rec("1", "a", "-", "x")});
  dialog_answers_.push_back({});  // cancelled
  form_->btnExportClick();
  dialog_answers_.push_back(Chosen(dir_ / L"missing" / L"NetInfo.txt"));
  form_->btnExportClick();
  auto errors = BoxesCaptioned(ui::kErrorCaption);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].text.find("NetInfo.txt"), std::string::npos);
  EXPECT_EQ(errors[0].type & MB_ICONMASK, static_cast<unsigned>(MB_ICONERROR));
  EXPECT_TRUE(BoxesCaptioned("提示").empty());
}

TEST_F(MainWindowTest, ImportOrRosterCancelledEmptyOrUnreadableChangesNothing) {
  AddRecords({Rec("1", "a", "-", "x")});
  for (auto read : {&TForm1::SpeedButton4Click, &TForm1::RosterItemClick}) {
    boxes_.clear();
    dialog_answers_.push_back({});
    (form_.get()->*read)();
    EXPECT_TRUE(boxes_.empty());
    dialog_answers_.push_back(Chosen(L""));
    (form_.get()->*read)();
    auto warn = BoxesCaptioned("警告");
    ASSERT_EQ(warn.size(), 1u);
    EXPECT_EQ(warn[0].text, "您没有选择任何文件，程序无法执行打开操作！");
    dialog_answers_.push_back(Chosen(dir_ / L"absent.txt"));
    (form_.get()->*read)();
    EXPECT_EQ(BoxesCaptioned(ui::kErrorCaption).size(), 1u);
    EXPECT_EQ(Rows(), 1);
  }
}

// The merge is on screen as soon as the dialog is gone, read from the control without a
// refresh. A sweep that adds a PC while the comparison is up: merging what was compared
// would drop it, so the merge is refused.
TEST_F(MainWindowTest, RosterMergeIsShownAtOnceOrRefusedWhenTheListChangedMeanwhile) {
  for (const bool changed : {false, true}) {
    form_->Hosts().Clear();
    AddRecords({Rec("10.0.0.1", "00-11-22-33-44-01", "-", "PC1")});
    HostList roster_rows;
    roster_rows.Append(Rec("10.0.0.1", "00-11-22-33-44-01", "-", "PC1"));
    roster_rows.Append(Rec("10.0.0.3", "00-11-22-33-44-03", "-", "PC3"));
    const auto roster = dir_ / L"roster.txt";
    ASSERT_TRUE(WriteListFile(roster, roster_rows, ListLayout::kExport).status.ok);
    boxes_.clear();
    later_.Post([&] {
      HWND dlg = FindWindowW(TRosterCompareDialog::kClassName, nullptr);
      if (changed) form_->Hosts().InsertTop(Rec("10.0.0.2", "00-11-22-33-44-02", "WG", "PC2"));
      SendMessageW(GetDlgItem(dlg, TRosterCompareDialog::kBtnMerge), BM_CLICK, 0, 0);
    });
    dialog_answers_.push_back(Chosen(roster));
    Menu(TForm1::kRosterItem);
    ASSERT_EQ(form_->Hosts().Count(), 2u);
    if (!changed) {
      EXPECT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), 2);
      EXPECT_TRUE(BoxesCaptioned("警告").empty());
      continue;
    }
    auto warn = BoxesCaptioned("警告");
    ASSERT_EQ(warn.size(), 1u);
    EXPECT_EQ(warn[0].text, "对比之后列表又有了变化，请重新对比后再合并。");
    EXPECT_EQ(form_->Hosts().At(1).workgroup, "-");
  }
}

TEST_F(MainWindowTest, ClientConfigurationNeedsARecord) {
  Toolbar(TForm1::kBtnInstall);
  auto warn = BoxesCaptioned("警告");
  ASSERT_EQ(warn.size(), 1u);
  EXPECT_EQ(warn[0].text, "列表中记录为空，程序无法执行以下的操作！");
  EXPECT_EQ(generator_shown_, 0);
  AddRecords({Rec("1", "a", "-", "x")});
  Toolbar(TForm1::kBtnInstall);
  EXPECT_EQ(generator_shown_, 1);
  EXPECT_EQ(BoxesCaptioned("警告").size(), 1u);
}

TEST_F(MainWindowTest, HelpShowsTheBoxThenOpensHelpTxtAndTheStatusBarOpensThePage) {
  on_box_ = [this](const ShownBox&) { EXPECT_TRUE(shell_.empty()); };
  Menu(TForm1::kBtnHelp);  // N6
  on_box_ = nullptr;
  auto about = BoxesCaptioned("关于");
  ASSERT_EQ(about.size(), 1u);
  EXPECT_EQ(about[0].text.rfind("点击列表框的计算机名字段即可进行表格排序！\r\n", 0), 0u);
  // The maker, the version and a contact that is no telephone number.
  EXPECT_EQ(about[0].text.substr(about[0].text.find('\n') + 1),
            "版本：" LR_VERSION
            "\r\n作者：Lanroster 开发组\r\n"
            "主页：https://lanroster.example.com/\r\n联系方式：见程序目录下的 Help.txt");
  EXPECT_EQ(about[0].type & MB_ICONMASK, static_cast<unsigned>(MB_ICONINFORMATION));
  ASSERT_EQ(shell_.size(), 1u);
  EXPECT_EQ(shell_[0], ui::ExecutableFolder() + L"Help.txt");

  NMMOUSE click{};
  click.hdr.hwndFrom = form_->control(TForm1::kStatusBar1);
  click.hdr.idFrom = TForm1::kStatusBar1;
  click.hdr.code = NM_CLICK;
  SendMessageW(form_->hwnd(), WM_NOTIFY, TForm1::kStatusBar1, reinterpret_cast<LPARAM>(&click));
  ASSERT_EQ(shell_.size(), 2u);
  EXPECT_EQ(shell_[1], TForm1::WebPage());
  EXPECT_EQ(form_->StatusText(2), "\tLanroster 开发组");
}

TEST_F(MainWindowTest, AMenuItemRunsWhateverItsButtonsStateButAShortcutDoesNot) {
  form_->SetButtonEnabled(ScanButton::kEdit, false);
  EXPECT_FALSE(form_->ButtonEnabled(TForm1::kSpeedButton2));
  Shortcut(TForm1::kSpeedButton2);
  EXPECT_TRUE(boxes_.empty());
  Menu(TForm1::kSpeedButton2);  // N2
  EXPECT_EQ(BoxesCaptioned("警告").size(), 1u);
  form_->SetButtonEnabled(ScanButton::kEdit, true);
  Shortcut(TForm1::kSpeedButton2);
  EXPECT_EQ(BoxesCaptioned("警告").size(), 2u);
}

// The list's popup menu, item by item ("-" a separator), and the removal item's command.
TEST_F(MainWindowTest, PopupMenuItemsInOrderAndTheRemovalItemRunsItsHandler) {
  std::vector<std::string> items;
  HMENU popup = form_->PopupMenu();
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(popup, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    items.push_back(text[0] ? ui::Gbk(text) : "-");
  }
  EXPECT_EQ(items, (std::vector<std::string>{
                       "修改记录\tCtrl+E", "手动添加记录\tCtrl+N", "删除记录\tDel",
                       "导出记录\tCtrl+S", "-", "批量解析计算机名\tCtrl+R", "对比花名册...\tCtrl+K",
                       "批量命名...\tCtrl+M", "网络唤醒\tCtrl+W", "-", "移除客户端...",
                       "克隆机申请...", "-", "帮助信息\tF1", "-", "退出程序"}));
  EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, 10)), TForm1::kRemoveClient);
  Menu(TForm1::kRemoveClient);
  EXPECT_EQ(removals_, 1);
  EXPECT_TRUE(boxes_.empty());
  // Without a key in this machine's settings file the requests dialog says how to get one.
  Menu(TForm1::kCloneRequests);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].text.find("未列出的克隆机向本机申请条目"), std::string::npos);
}

TEST_F(MainWindowTest, ClosingAnEmptyListAsksNothingAndDeletesTheArpDump) {
  {
    OutFile f;
    ASSERT_TRUE(f.Open(dir_ / L"IPMAC.TXT").ok);
  }
  SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_FALSE(IsWindow(form_->hwnd()));
  EXPECT_EQ(quits_, 1);
  EXPECT_FALSE(std::filesystem::exists(dir_ / L"IPMAC.TXT"));
}

TEST_F(MainWindowTest, ClosingWithRecordsAsksAndCancelOrACancelledDialogSavesNothing) {
  AddRecords({Rec("1", "a", "-", "x")});
  box_answers_ = {IDCANCEL};
  SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
  auto asked = BoxesCaptioned("询问");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "程序退出之前，您是否想保存列表中的计算机信息？");
  EXPECT_EQ(asked[0].type & MB_TYPEMASK, static_cast<unsigned>(MB_OKCANCEL));
  EXPECT_EQ(asked[0].type & MB_ICONMASK, static_cast<unsigned>(MB_ICONQUESTION));
  EXPECT_TRUE(dialogs_.empty());
  EXPECT_FALSE(IsWindow(form_->hwnd()));
}

TEST_F(MainWindowTest, ClosingWithOkButNoFileChosenCloses) {
  AddRecords({Rec("1", "a", "-", "x")});
  dialog_answers_.push_back({});
  SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].file_name, "NetInfo.txt");
  EXPECT_TRUE(BoxesCaptioned("提示").empty());
  EXPECT_FALSE(IsWindow(form_->hwnd()));
}

TEST_F(MainWindowTest, ClosingSavesTheFullLayoutOrStaysOpenWhenTheFileFails) {
  AddRecords({Rec("192.168.0.5", "00-11-22-33-44-55", "WORKGROUP", "PC5")});
  dialog_answers_.push_back(Chosen(dir_ / L"no such folder" / L"NetInfo.txt"));
  SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(BoxesCaptioned(ui::kErrorCaption).size(), 1u);
  EXPECT_TRUE(IsWindow(form_->hwnd()));
  EXPECT_TRUE(IsWindowVisible(form_->hwnd()));
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(quits_, 0);

  const auto path = dir_ / L"NetInfo.txt";
  dialog_answers_.push_back(Chosen(path));
  SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(form_->hwnd()));
  EXPECT_EQ(ReadFile(path),
            "   IP\xB5\xD8\xD6\xB7        MAC\xB5\xD8\xD6\xB7              "
            "\xB9\xA4\xD7\xF7\xD7\xE9     \xBC\xC6\xCB\xE3\xBB\xFA\xC3\xFB   \r\n"
            "192.168.0.5 00-11-22-33-44-55 WORKGROUP PC5 \r\n");
  auto done = BoxesCaptioned("提示");
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].text, "全部记录已成功导出！\r\n" + ui::Gbk(path.wstring()));
}

TEST_F(MainWindowTest, MenuExitEndsAtOnceWithoutQuestionOrCleanup) {
  AddRecords({Rec("1", "a", "-", "x")});
  {
    OutFile f;
    ASSERT_TRUE(f.Open(dir_ / L"IPMAC.TXT").ok);
  }
  Menu(TForm1::kN8);
  EXPECT_EQ(quits_, 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(IsWindow(form_->hwnd()));
  EXPECT_TRUE(std::filesystem::exists(dir_ / L"IPMAC.TXT"));
}

}  // namespace
}  // namespace lr::test

namespace lr::test {
namespace {

TEST_F(MainWindowTest, TabWalksTheScanOptionsAndTheListAndF2EditsTheAddress) {
  HWND h = form_->hwnd();
  auto inside = [](HWND control, HWND focus) {
    return focus == control || IsChild(control, focus);
  };
  // From the time-out field Tab goes to "快速扫描" and on to the list, and from the list
  // round to the start address; backwards from the protocol box to the end address.
  HWND next = GetNextDlgTabItem(h, form_->control(TForm1::kSpinEdit1), FALSE);
  EXPECT_EQ(next, form_->control(TForm1::kChkFast));
  next = GetNextDlgTabItem(h, next, FALSE);
  EXPECT_EQ(next, List());
  next = GetNextDlgTabItem(h, List(), FALSE);
  EXPECT_TRUE(inside(form_->edtStart().hwnd(), next));
  HWND prev = GetNextDlgTabItem(h, form_->control(TForm1::kComboBox1), TRUE);
  EXPECT_TRUE(inside(form_->edtEnd().hwnd(), prev));

  AddRecords({Rec("10.0.0.1", "a", "WG", "x")});
  Select(0);
  SendMessageW(List(), WM_KEYDOWN, VK_F2, 0);
  HWND edit = ListView_GetEditControl(List());
  ASSERT_NE(edit, nullptr);
  ui::SetText(edit, "10.0.0.99");
  // Enter through the window's own message handling (dialog keys and shortcuts first).
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
  form_->ProcessPendingInput();
  EXPECT_EQ(form_->Hosts().At(0).ip, "10.0.0.99");
  SendMessageW(List(), WM_KEYDOWN, VK_F2, 0);
  edit = ListView_GetEditControl(List());
  ASSERT_NE(edit, nullptr);
  ui::SetText(edit, "x");
  PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
  form_->ProcessPendingInput();
  EXPECT_EQ(form_->Hosts().At(0).ip, "10.0.0.99");
  EXPECT_EQ(ListView_GetEditControl(List()), nullptr);
}

}  // namespace
}  // namespace lr::test

namespace lr::test {
namespace {

// Closing the window while an ICMP sweep runs inside the scan click (here over loopback
// addresses only) stops the sweep and closes once the click has returned.
TEST_F(MainWindowTest, ClosingDuringAnIcmpSweepWaitsForTheSweepToReturn) {
  form_->edtStart().SetIPString("127.0.0.1");
  form_->edtEnd().SetIPString("127.0.0.9");
  ui::SetText(form_->control(TForm1::kComboBox1), "ICMP");
  bool closed_inside = true;
  later_.Post([&] {
    SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
    closed_inside = !IsWindow(form_->hwnd());
  });
  Toolbar(TForm1::kBtnScan);
  EXPECT_FALSE(closed_inside);
  EXPECT_EQ(form_->StatusText(0), "用户取消扫描！");
  EXPECT_EQ(form_->Hosts().Count(), 0u);
  Pump();
  EXPECT_FALSE(IsWindow(form_->hwnd()));
  EXPECT_EQ(quits_, 1);
}

// A close that arrives while a real box or the record dialog is up (boxes answered from a
// second thread, so each runs its own nested loop): the window takes no input meanwhile, the
// close waits until the box is gone, and one that arrives during the closing's own question
// or save is dropped, so the closing runs once and the program always ends. A close during a
// scanner box stops the sweep: only the box that was up needs an answer.
enum class Up { kCloseQuestion, kExportDone, kScannerBox, kRecordDialog };
struct CloseCase {
  Up up;
  const char* close_at;            // the box caption at which a close is posted
  std::vector<std::string> boxes;  // every box shown, in order
};

class CloseDuringBoxTest : public MainWindowTest, public ::testing::WithParamInterface<CloseCase> {
  // Every NetBIOS query fails to send (port 0 on loopback), so the scanner shows its boxes.
  void AdjustOptions(TForm1Options& o) override { o.scan.nbt_remote_port = 0; }
};

TEST_P(CloseDuringBoxTest, IsHeldUntilTheBoxIsGoneAndRunsOnce) {
  const CloseCase& c = GetParam();
  HWND main = form_->hwnd();
  ui::SetMessageBoxSeam({});
  if (c.up < Up::kScannerBox) AddRecords({Rec("1", "a", "-", "x")});
  dialog_answers_ = {Chosen(dir_ / L"a.txt")};
  std::atomic<int> enabled_at_box{0};
  RealBoxes boxes([&](const std::string& caption) {
    enabled_at_box += IsWindowEnabled(main) ? 1 : 0;
    if (caption == c.close_at || caption == "提示") PostMessageW(main, WM_CLOSE, 0, 0);
    return caption == "询问" && c.up == Up::kExportDone ? IDCANCEL : IDOK;
  });
  if (c.up == Up::kCloseQuestion) SendMessageW(main, WM_CLOSE, 0, 0);
  if (c.up == Up::kExportDone) form_->btnExportClick();
  if (c.up == Up::kScannerBox) {  // a range across .255: the close stops the sweep
    form_->edtStart().SetIPString("127.0.0.254");
    form_->edtEnd().SetIPString("127.0.1.1");
    Toolbar(TForm1::kBtnScan);
  }
  if (c.up == Up::kRecordDialog) {
    later_.Post([&] {
      PostMessageW(main, WM_CLOSE, 0, 0);
      PostMessageW(frm_add_->hwnd(), WM_CLOSE, 0, 0);
    });
    form_->SpeedButton1Click();
  }
  EXPECT_EQ(IsWindow(main) != FALSE, c.up != Up::kCloseQuestion);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(main); }, 10000));
  EXPECT_EQ(quits_, 1);
  EXPECT_EQ(boxes.Stop(), c.boxes);
  EXPECT_EQ(enabled_at_box, 0);
}

INSTANTIATE_TEST_SUITE_P(Boxes, CloseDuringBoxTest,
                         ::testing::Values(CloseCase{Up::kCloseQuestion, "询问", {"询问", "提示"}},
                                           CloseCase{Up::kExportDone, "", {"提示", "询问"}},
                                           CloseCase{Up::kScannerBox, "Lanroster", {"Lanroster"}},
                                           CloseCase{Up::kRecordDialog, "", {}}));

}  // namespace
}  // namespace lr::test

#include "hostlist/list_files.h"

#include <gtest/gtest.h>

#include "tests/unit/test_files.h"

namespace lr {
namespace {

using lr::testing::Hex;
using lr::testing::ReadBytes;
using lr::testing::ScratchDir;
using lr::testing::WriteBytes;

const std::string kExportHeader =
    Hex("20 20 20 49 50 B5 D8 D6 B7 20 20 20 20 20 20 20 20 4D 41 43 B5 D8 D6 B7"
        "20 20 20 20 20 20 20 BC C6 CB E3 BB FA C3 FB 20 20");
const std::string kSaveHeader =
    Hex("20 20 20 49 50 B5 D8 D6 B7 20 20 20 20 20 20 20 20 4D 41 43 B5 D8 D6 B7"
        "20 20 20 20 20 20 20 20 20 20 20 20 20 20 B9 A4 D7 F7 D7 E9 20 20 20 20 20"
        "BC C6 CB E3 BB FA C3 FB 20 20 20");

HostList OneRecord() {
  HostList list;
  list.Append(HostRecord{"192.168.0.5", "00-11-22-33-44-55", "WORKGROUP", "PC5", ""});
  return list;
}

TEST(ListFiles, HeadersAreTheFixedGbkBytes) {
  ASSERT_EQ(kExportHeader.size(), 41u);
  ASSERT_EQ(kSaveHeader.size(), 60u);
  EXPECT_EQ(ListHeader(ListLayout::kExport), kExportHeader);
  EXPECT_EQ(ListHeader(ListLayout::kSaveOnExit), kSaveHeader);
}

TEST(ListFiles, ExportAndSaveOnExitWriteByteForByte) {
  ScratchDir dir;
  HostList list = OneRecord();
  ASSERT_TRUE(WriteListFile(dir / "e.txt", list, ListLayout::kExport).status.ok);
  EXPECT_EQ(ReadBytes(dir / "e.txt"), kExportHeader + "\r\n192.168.0.5 00-11-22-33-44-55 PC5\r\n");
  auto r = WriteListFile(dir / "s.txt", list, ListLayout::kSaveOnExit);
  ASSERT_TRUE(r.status.ok);
  EXPECT_EQ(r.lines_written, 2u);
  EXPECT_EQ(ReadBytes(dir / "s.txt"),
            kSaveHeader + "\r\n192.168.0.5 00-11-22-33-44-55 WORKGROUP PC5 \r\n");
}

TEST(ListFiles, EmptyFieldsAndGbkAreWrittenUnchanged) {
  HostRecord r{"10.0.0.1", "", "-", "", ""};
  EXPECT_EQ(FormatListLine(ListLayout::kExport, r), "10.0.0.1  \r\n");
  r.name = "\xBC\xC6\xCB\xE3 x";
  EXPECT_EQ(FormatListLine(ListLayout::kExport, r), "10.0.0.1  \xBC\xC6\xCB\xE3 x\r\n");
  EXPECT_EQ(FormatListLine(ListLayout::kSaveOnExit, r), "10.0.0.1  - \xBC\xC6\xCB\xE3 x \r\n");
}

TEST(ListFiles, ExportReplacesAnExistingFile) {
  ScratchDir dir;
  WriteBytes(dir / "e.txt", std::string(1000, 'x'));
  HostList empty;
  ASSERT_TRUE(WriteListFile(dir / "e.txt", empty, ListLayout::kExport).status.ok);
  EXPECT_EQ(ReadBytes(dir / "e.txt"), kExportHeader + "\r\n");
}

TEST(ListFiles, UnwritablePathReportsTheReasonAndWritesNothing) {
  ScratchDir dir;
  auto r = WriteListFile(dir / "no-such-dir" / "e.txt", OneRecord(), ListLayout::kExport);
  EXPECT_FALSE(r.status.ok);
  EXPECT_FALSE(r.status.reason.empty());
  EXPECT_EQ(r.lines_written, 0u);
}

std::vector<HostRecord> Parse(std::string_view text) {
  return ParseImport(text);
}

TEST(ListFiles, ImportSplitsAtTheFirstTwoSpaces) {
  auto recs = Parse(
      "header\r\n"
      "192.168.0.5 00-11 PC 5 \r\n"
      "10.0.0.1 PC1\r\n"
      "nospace\r\n"
      "\r\n"
      " lead space\r\n");
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(recs[0], (HostRecord{"192.168.0.5", "00-11", "-", "PC 5 ", ""}));
  EXPECT_EQ(recs[1], (HostRecord{"10.0.0.1", "", "-", "PC1", ""}));
  EXPECT_EQ(recs[2], (HostRecord{"", "", "-", "nospace", ""}));
  EXPECT_EQ(recs[3], (HostRecord{"", "", "-", "", ""}));
  EXPECT_EQ(recs[4], (HostRecord{"", "lead", "-", "space", ""}));
}

TEST(ListFiles, ImportLineEndsNulAndEmptyFiles) {
  EXPECT_TRUE(Parse("").empty());
  EXPECT_TRUE(Parse("header only").empty());
  EXPECT_TRUE(Parse("header\r\n").empty());
  EXPECT_EQ(Parse("h\na b c\rd e f\r\ng h i").size(), 3u);
  EXPECT_EQ(Parse("h\n\n").size(), 1u);  // one empty line, no extra line at the end
  auto cut = Parse(std::string("h\r\n1 2 3\r\n4 5\0 6\r\n7 8 9\r\n", 24));
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[1].mac, "");
  EXPECT_EQ(cut[1].name, "5");
}

TEST(ListFiles, ExportThenImportGivesTheRecordsBack) {
  ScratchDir dir;
  HostList list;
  list.Append(HostRecord{"192.168.0.1", "00.0C.29.AB.01.FF", "WORKGROUP      ", "PC01 two", ""});
  list.Append(HostRecord{"192.168.0.2", "", "-", "", ""});
  ASSERT_TRUE(WriteListFile(dir / "e.txt", list, ListLayout::kExport).status.ok);

  HostList back;
  back.Append(HostRecord{"kept", "", "-", "", ""});
  ASSERT_TRUE(ImportListFile(dir / "e.txt", back).ok);
  ASSERT_EQ(back.Count(), 3u);
  EXPECT_EQ(back.At(0).ip, "kept");
  EXPECT_EQ(back.At(1), (HostRecord{"192.168.0.1", "00.0C.29.AB.01.FF", "-", "PC01 two", ""}));
  EXPECT_EQ(back.At(2), (HostRecord{"192.168.0.2", "", "-", "", ""}));
}

// Rows as a NetBIOS scan, an ICMP scan, the record dialog and a CSV file leave them.
const std::vector<HostRecord> kRoundTripRows = {
    {"192.168.0.5", "00.0C.29.AB.01.FF", "WORKGROUP      ", "PC01           ", ""},
    {"192.168.0.6", "00.0C.29.AB.01.FE", "\xCD\xF8\xB0\xC9           ", "\xBC\xC6 1          ", ""},
    {"192.168.0.7", "00.0C.29.AB.01.FD", "ABCDEFGHIJKLMNO", "PC3", ""},
    {"192.168.0.8", "00.0C.29.AB.01.FC", "", "PC04           ", ""},
    {"10.0.0.1", "00-14-78-AA-BB-CC", "-", "-", ""},
    {"10.0.0.2", "", "-", "name with  spaces ", ""},
    {"10.0.0.3", "m", "MSHOME", "", ""},
    // Workgroups with a space inside, and names with one where a padded workgroup ends.
    {"192.168.0.9", "00.0C.29.AB.01.FB", "MY GROUP       ", "PC09           ", ""},
    {"192.168.0.10", "00.0C.29.AB.01.FA", "MY GROUP1234567", "PC10", ""},
    {"192.168.0.11", "00.0C.29.AB.01.F9", "MY GROUP       ", "", ""},
    {"10.0.0.4", "", "-", "ABCDEFGHIJKLM X", ""},
    {"10.0.0.5", "m", "WG", "PC05           ", ""},
};

// Every layout read back with either reader as the hint (the dialog's filter or the name).
TEST(ListFiles, EveryLayoutReadsBackEveryRowWhateverTheHint) {
  ScratchDir dir;
  HostList list;
  for (const HostRecord& r : kRoundTripRows) list.Append(r);
  for (ListLayout layout : {ListLayout::kExport, ListLayout::kSaveOnExit, ListLayout::kCsv}) {
    ASSERT_TRUE(WriteListFile(dir / "list", list, layout).status.ok);
    std::vector<HostRecord> want = kRoundTripRows;
    if (layout == ListLayout::kExport)
      for (HostRecord& r : want) r.workgroup = "-";
    for (ListFileKind hint : {ListFileKind::kText, ListFileKind::kCsv}) {
      ListFileContents back;
      ASSERT_TRUE(ReadListFile(dir / "list", hint, back).ok);
      EXPECT_EQ(back.records, want) << static_cast<int>(layout) << static_cast<int>(hint);
      EXPECT_TRUE(back.unread.empty());
    }
  }
}

TEST(ListFiles, TheTextTellsTheReaderAndTheSavedNameTheLayout) {
  constexpr auto kText = ListFileKind::kText;
  constexpr auto kCsv = ListFileKind::kCsv;
  const std::string export_file = kExportHeader + "\r\n1.2.3.4,m,w,n\r\n";
  const std::string save_file = kSaveHeader + "  \r\n";
  const struct {
    std::string text;
    ListFileKind hint, kind;
  } reads[] = {
      {export_file, kCsv, kText},
      {save_file, kCsv, kText},
      {"IP\xB5\xD8\xD6\xB7,MAC\xB5\xD8\xD6\xB7\r\n", kText, kCsv},
      {"\r\n;;\r\nName;ip\r\n", kText, kCsv},
      {"\xEF\xBB\xBFName,IP\r\n", kText, kCsv},
      {"sep=;\n1;2\n", kText, kCsv},
      {"\xFF\xFEI\0", kText, kCsv},
      {"IP,Seat\n", kText, kCsv},
      {"IP MAC Name\r\nIP,MAC\r\n", kText, kText},  // one field in the first line
      {"a,b\r\n", kText, kText},                    // no column named
      {"\"IP\r\n", kText, kText},                   // an unclosed quote
      {"header\r\n1 2 3\r\n", kCsv, kCsv},
  };
  for (const auto& r : reads) EXPECT_EQ(ListFileKindOfText(r.text, r.hint), r.kind) << r.text;

  const struct {
    const char* chosen;
    ListLayout layout;
    bool csv_filter;
    const char* path;
  } saves[] = {
      {"d/NetInfo.txt", ListLayout::kExport, true, "d/NetInfo.csv"},
      {"d/NetInfo.TXT", ListLayout::kExport, false, "d/NetInfo.TXT"},
      {"d/x.Csv", ListLayout::kExport, true, "d/x.Csv"},
      {"d/x.csv", ListLayout::kExport, false, "d/x.txt"},
      {"d/list", ListLayout::kExport, true, "d/list.csv"},
      {"d/list.2026", ListLayout::kSaveOnExit, false, "d/list.2026.txt"},
  };
  for (const auto& s : saves) {
    const ListSaveTarget got = ListSaveTargetOf(s.chosen, s.layout, s.csv_filter);
    EXPECT_EQ(got.path.generic_string(), s.path) << s.chosen;
    EXPECT_EQ(got.layout, s.csv_filter ? ListLayout::kCsv : s.layout) << s.chosen;
  }
}

TEST(ListFiles, CsvExportQuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(ListHeader(ListLayout::kCsv), Hex("49 50 B5 D8 D6 B7 2C 4D 41 43 B5 D8 D6 B7 2C"
                                              "B9 A4 D7 F7 D7 E9 2C BC C6 CB E3 BB FA C3 FB"));
  EXPECT_EQ(FormatListLine(ListLayout::kCsv, {"1.2.3.4", "a b", "-", "x,\"y\"\r\nz", ""}),
            "1.2.3.4,a b,-,\"x,\"\"y\"\"\r\nz\"\r\n");
  EXPECT_EQ(FormatListLine(ListLayout::kCsv, {"a,b", "q\"", "c\rd", "e\nf", ""}),
            "\"a,b\",\"q\"\"\",\"c\rd\",\"e\nf\"\r\n");
  EXPECT_EQ(ListFileKindOf("a/NetInfo.CSV"), ListFileKind::kCsv);
  EXPECT_EQ(ListFileKindOf("a.csv.txt"), ListFileKind::kText);
}

// Records as "ip|mac|workgroup|name", unread lines as "line:reason".
std::string Rows(const ListFileContents& c) {
  std::string out;
  for (const HostRecord& r : c.records)
    out += r.ip + "|" + r.mac + "|" + r.workgroup + "|" + r.name + ";";
  for (const UnreadLine& u : c.unread) out += std::to_string(u.line) + ":" + u.reason + ";";
  for (size_t line : c.replaced) out += "~" + std::to_string(line) + ";";
  return out;
}

TEST(ListFiles, CsvImportReadsWhatSpreadsheetsWrite) {
  struct Case {
    std::string_view text;
    std::string rows;
  } cases[] = {
      {"\xEF\xBB\xBFName;ip;Seat\r\nPC1;10.0.0.1;3\r\n\"P;C\"\"2\";10.0.0.2\r\n\xC3\xA9;3\r\n",
       "10.0.0.1||-|PC1;10.0.0.2||-|P;C\"2;3||-|?;~4;"},
      {"10.0.0.1\tm\tw\tn\n\n\t\t\t\n10.0.0.2\r", "10.0.0.1|m|w|n;10.0.0.2||-|-;"},
      // Only the lines with replacements of their own are listed.
      {"\xEF\xBB\xBF"
       "1,\xC3\xA9\n2\n,\n3,\xC3\xA9\n4\n",
       "1|?|-|-;2||-|-;3|?|-|-;4||-|-;~1;~4;"},
      {"sep=;\nIP;MAC\n1,2;3\n", "1,2|3|-|-;"},
      {"\r\n;\r\nMAC;IP\r\nm;1\r\n\"", "1|m|-|-;5:引号没有闭合;"},
      {"IP,,mac,\n1,x,2,,\n\"a\r\nb\",c,\"d\"e\n5,6,7,8,9\n\"1,2\n3,4\n",
       "1|2|-|-;a\r\nb|de|-|-;3||-|-;5:字段多于表头的列数;6:引号没有闭合;"},
      {"Name,IP\nPC1\nPC2,10.0.0.2\n", "10.0.0.2||-|PC2;2:缺少 IP 地址一栏;"},
      {"Name,MAC\nPC1,m\n", "1:表头中没有“IP地址”一栏，文件没有导入;"},
      {"\xFF\xFE"
       "I\0P\0",
       "1:文件是 UTF-16 编码，请另存为 CSV 或 CSV UTF-8 后再导入;"},
      {"\"", "1:引号没有闭合;"},
      {"IP;MAC;;Name\r\n;00-0C-29-78-00-99;;CAFE\r\n \t;m\r\n10.0.0.1;m;;n\r\n",
       "10.0.0.1|m|-|n;2:IP 地址为空;3:IP 地址为空;"},
      // Line numbers after a "sep=" line, an unclosed quote and a lone CR in a field.
      {"sep=,\nIP,Name\n1,a,b\n", "3:字段多于表头的列数;"},
      {"IP\n\"1\n2,x\n", "2:引号没有闭合;3:字段多于表头的列数;"},
      {"IP,Name\n1,\"a\rb\"\n2,n,x\n", "1||-|a\rb;4:字段多于表头的列数;"},
  };
  for (const Case& c : cases) {
    ListFileContents got = ParseListFile(c.text, ListFileKind::kCsv);
    EXPECT_EQ(Rows(got), c.rows) << c.text;
  }
}

TEST(ListFiles, ReportListsTwentyUnreadLinesAndTheReplacedOnes) {
  ListFileContents c;
  c.records.resize(3);
  for (size_t i = 1; i <= 22; ++i) c.unread.push_back({i * 2, "x"});
  c.replaced = {5, 7};
  const std::string text = ListFileReport(c);
  EXPECT_NE(text.find("已读入 3 条记录。\n以下 22 行无法读取，已跳过：\n第 2 行：x\n"),
            std::string::npos);
  EXPECT_NE(text.find("第 40 行：x\n另有 2 行未列出。"), std::string::npos);
  EXPECT_EQ(text.find("第 42 行"), std::string::npos);
  EXPECT_NE(text.find("已换成“?”：第 5、7 行。"), std::string::npos);
  EXPECT_EQ(ListFileReport(ListFileContents{}), "");
}

TEST(ListFiles, UnreadableImportAddsNothing) {
  ScratchDir dir;
  HostList list;
  list.Append(HostRecord{"a", "b", "-", "c", ""});
  FileStatus s = ImportListFile(dir / "missing.txt", list);
  EXPECT_FALSE(s.ok);
  EXPECT_FALSE(s.reason.empty());
  EXPECT_EQ(list.Count(), 1u);
}

}  // namespace
}  // namespace lr

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>

namespace lr {
namespace {

// A file-size limit makes the system refuse a write part-way through the list.
TEST(ListFiles, WriteFailurePartWayKeepsTheLinesWritten) {
  ScratchDir dir;
  HostList list;
  for (int i = 0; i < 50; ++i) list.Append(HostRecord{"192.168.0.1", "m", "w", "n", ""});
  const std::string line = FormatListLine(ListLayout::kExport, list.At(0));

  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto* old_handler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 43 + 3 * line.size();  // header and three whole lines
  setrlimit(RLIMIT_FSIZE, &small);
  auto r = WriteListFile(dir / "e.txt", list, ListLayout::kExport);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(r.status.ok);
  EXPECT_FALSE(r.status.reason.empty());
  EXPECT_EQ(r.lines_written, 4u);
  EXPECT_EQ(ReadBytes(dir / "e.txt"), kExportHeader + "\r\n" + line + line + line);
}

}  // namespace
}  // namespace lr
#endif

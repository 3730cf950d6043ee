// Reverse lookups in the lab: the scanner's namespace has a hosts file that names some PCs
// and not others, and its resolver reads nothing else.
#include <gtest/gtest.h>

#include "scanner/win32/reverse_lookup.h"
#include "scanner/win32/scan_run.h"
#include "tests/lab/discovery/lab_env.h"
#include "tests/lab/discovery/lab_view.h"

namespace {

using lab::LabPc;

std::string ExpectedName(const LabPc& pc) {
  return pc.hosts_name.empty() ? "---" : pc.hosts_name;
}

TEST(ReverseLookupLab, GivesTheHostsFileNameOrDashes) {
  for (const LabPc& pc : lab::LoadLabPcs()) EXPECT_EQ(lr::ReverseLookup(pc.ip), ExpectedName(pc));
  EXPECT_EQ(lr::ReverseLookup(lab::SilentIp()), "---");
}

TEST(ReverseLookupLab, BatchResolutionNamesEveryRecordByItsOwnAddress) {
  std::vector<LabPc> pcs = lab::LoadLabPcs();
  lab::RecordingView view;
  // Newest first, as a sweep leaves them, and one address twice.
  for (const LabPc& pc : pcs) view.Hosts().InsertTop({pc.ip, "-", "-", "-", ""});
  view.Hosts().Append({pcs.front().ip, "x", "y", "z", ""});
  lr::ScanRun run(view);
  run.ResolveNamesClick();
  ASSERT_TRUE(lab::PumpUntil([&] { return !run.ResolveRunning(); }, 30000));
  lab::PumpPending();

  std::vector<lr::HostRecord> records = view.Records();
  ASSERT_EQ(records.size(), pcs.size() + 1);
  for (size_t i = 0; i < pcs.size(); ++i) {
    const LabPc& pc = pcs[pcs.size() - 1 - i];
    EXPECT_EQ(records[i], (lr::HostRecord{pc.ip, "-", "-", ExpectedName(pc), ""}));
  }
  EXPECT_EQ(records.back(),
            (lr::HostRecord{pcs.front().ip, "x", "y", ExpectedName(pcs.front()), ""}));
  EXPECT_EQ(view.status[1], "主机名解析成功完成！");
  EXPECT_TRUE(view.buttons[lr::ScanButton::kAdd]);
  EXPECT_FALSE(view.buttons[lr::ScanButton::kEdit]);
  EXPECT_TRUE(view.buttons[lr::ScanButton::kInstall]);
}

}  // namespace

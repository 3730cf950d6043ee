// A NetBIOS sweep at Timeout 0 through many addresses whose link addresses are still being
// resolved: the suite routes 192.168.1.0/24 onto the lab's link for this group (nobody
// answers there), so every query to it waits in the kernel until resolution fails, and the
// scanner's send buffer fills. A full buffer is no failure: no message box for it, the sweep
// goes on to its end, and the PCs queried before are all found. The one real failure of
// the range is the query of the broadcast address 192.168.0.255, which the socket may not
// send to: it shows the two send messages, once.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "scanner/scan_texts.h"
#include "scanner/win32/nbtstat.h"
#include "scanner/win32/scan_run.h"
#include "tests/lab/discovery/lab_env.h"
#include "tests/lab/discovery/lab_view.h"

namespace {

TEST(NbtBurstLab, FastSweepThroughUnresolvedAddressesFindsEveryPcWithoutFullBufferBoxes) {
  lab::BoxRecorder boxes;
  lab::RecordingView view;
  boxes.context = [&] { return view.status[0]; };
  lr::ScanRun run(view);
  const DWORD start = GetTickCount();
  run.ScanClick("192.168.0.1", "192.168.1.200", "NetBios", "0");
  // The end text names the queries the full buffer dropped, when there were any.
  auto ended = [&] { return view.status[0].rfind(lr::NbtEndText(), 0) == 0; };
  ASSERT_TRUE(lab::PumpUntil(ended, 240000));
  const DWORD wall = GetTickCount() - start;
  lab::PumpFor(500);

  size_t queries = 0;
  for (const std::string& text : view.Panel0()) {
    if (text.rfind("正在扫描：", 0) == 0) ++queries;
  }
  EXPECT_EQ(queries, 255u + 199u);  // 192.168.0.1 .. .0.255, 192.168.1.1 .. .1.199
  std::vector<std::string> broadcast_boxes;
  for (const char* text : {"SOCKET_ERROR,send fail.", "Not Send all"}) {
    broadcast_boxes.push_back(std::string("Lanroster: ") + text + " @ 正在扫描：192.168.0.255");
  }
  EXPECT_EQ(boxes.boxes, broadcast_boxes);
  std::set<std::string> found;
  for (const lr::HostRecord& r : view.Records()) found.insert(r.ip);
  for (const lab::LabPc& pc : lab::LoadLabPcs()) EXPECT_TRUE(found.count(pc.ip)) << pc.ip;
  const unsigned dropped = run.Nbt().DroppedQueries();
  EXPECT_EQ(view.status[0],
            dropped ? lr::NbtEndText() + " " + lr::NbtDroppedText(dropped) : lr::NbtEndText());
  std::printf("FIGURE nbt_burst_queries %zu\n", queries);
  std::printf("FIGURE nbt_burst_dropped %u\n", dropped);
  std::printf("FIGURE nbt_burst_ms %lu\n", static_cast<unsigned long>(wall));
}

}  // namespace

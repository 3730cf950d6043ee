// The fast sweeps' clock and the scanner's side of the fast NetBIOS sweep.
#include "scanner/win32/fast_sweep.h"

#include "scanner/nbt_fast_sweep.h"
#include "scanner/scan_texts.h"
#include "scanner/win32/nbtstat.h"

namespace lr {

std::uint64_t FastSweepClockUs() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
  }();
  LARGE_INTEGER now;
  if (frequency <= 0 || !QueryPerformanceCounter(&now)) return std::uint64_t{GetTickCount()} * 1000;
  return static_cast<std::uint64_t>(now.QuadPart / frequency * 1000000 +
                                    now.QuadPart % frequency * 1000000 / frequency);
}

// The walk reads the neighbour table after every this many hand-overs (up to a burst each).
constexpr size_t kTableReadEverySends = 16;

class NbtFastPort : public NbtSweepPort {
 public:
  NbtFastPort(TNbt& nbt, const std::vector<std::string>& walked)
      : nbt_(nbt), walked_(walked), resolved_(nbt.neighbours_) {}

  std::uint64_t NowUs() override { return FastSweepClockUs(); }

  bool WaitUs(std::uint64_t us) override {
    const std::uint64_t ms = (us + 999) / 1000;
    if (ms > 0) WaitForSingleObject(nbt_.stop_event_, ms >= INFINITE ? INFINITE - 1 : DWORD(ms));
    return !nbt_.stop_flag_;
  }

  bool Stopped() override { return nbt_.stop_flag_; }

  void Send(const std::vector<std::string>& ips, bool again) override {
    nbt_.Synchronize([&] {
      for (const std::string& ip : ips) {
        if (nbt_.stop_flag_) return;  // a box of an earlier send was answered by a closing
        if (again && !nbt_.retry_.AskAgain(ip)) continue;
        nbt_.StatusText = NbtStatusText(ip);
        if (nbt_.OnSend) nbt_.OnSend();
        nbt_.SendQuery(kNodeStatusQuery.data(), kNodeStatusQuery.size(), ip);
      }
    });
    // A long range outlasts the neighbour entries of the PCs asked first.
    if (!again && ++sends_ % kTableReadEverySends == 0) resolved_.Read();
  }

  bool AllAnswered(const std::vector<std::string>& ips) override {
    bool all = true;
    nbt_.Synchronize([&] {
      for (const std::string& ip : ips) all = all && nbt_.retry_.HasAnswered(ip);
    });
    return all;
  }

  std::vector<std::string> Silent() override {
    const std::set<std::string>& live = resolved_.Read();
    std::vector<std::string> out;
    nbt_.Synchronize([&] { out = nbt_.retry_.Silent(walked_, live); });
    return out;
  }

 private:
  TNbt& nbt_;
  const std::vector<std::string>& walked_;
  ResolvedSeen resolved_;
  size_t sends_ = 0;
};

void RunNbtFastSweepThread(TNbt& nbt, const std::vector<std::string>& targets) {
  NbtFastPort port(nbt, targets);
  RunNbtFastSweep(port, targets, nbt.Timeout);
}

}  // namespace lr

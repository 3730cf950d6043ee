// The scan run behind the main window's handlers.
#include "scanner/win32/scan_run.h"

#include <windows.h>

#include <atomic>
#include <optional>

#include "base/file.h"
#include "scanner/compare_records.h"
#include "scanner/icmp_fast_sweep.h"
#include "scanner/icmp_sweep.h"
#include "scanner/id_exceptions.h"
#include "scanner/ip_text.h"
#include "scanner/name_resolution.h"
#include "scanner/nbt_events.h"
#include "scanner/win32/fast_sweep.h"
#include "scanner/win32/id_icmp_client.h"
#include "scanner/win32/ip_net_table.h"
#include "scanner/win32/nbtstat.h"
#include "scanner/win32/reverse_lookup.h"
#include "scanner/win32/window_thread_call.h"
#include "ui/text.h"

namespace lr {

namespace {
constexpr char kNetBios[] = "NetBios";
}  // namespace

struct ScanRun::Impl : IcmpFastPlatform {
  Impl(ScanView& v, ScanRunOptions o)
      : view(v),
        options(std::move(o)),
        nbt(NbtPorts{options.nbt_local_port, options.nbt_remote_port}) {
    nbt.SetListView(&view.Hosts(), [this] { view.HostsChanged(); });
    nbt.CloseAsked = [this] { return view.CloseAsked(); };
  }

  ~Impl() override {
    // The window is going: a sweep still running ends without its end texts, and a batch
    // resolution stops before its next step instead of writing into the list.
    closing = true;
    nbt.OnSend = nullptr;
    nbt.OnEnd = nullptr;
    nbt.CloseAsked = nullptr;
    nbt.Stop();
    nbt.WaitSweepEnd();
    if (resolve_thread) {
      WaitRunningSentMessages(resolve_thread);
      CloseHandle(resolve_thread);
    }
    if (dump_process) CloseHandle(dump_process);
  }

  TIdIcmpClient& Icmp() {
    if (!icmp) {
      icmp.emplace();
      icmp->ReceiveTimeout = options.echo_receive_timeout_ms;
    }
    return *icmp;
  }

  // IcmpSweepPlatform
  void Echo(const std::string& host) override {
    TIdIcmpClient& client = Icmp();
    client.Host = host;
    client.Echo();
  }
  void Sleep(unsigned ms) override { ::Sleep(ms); }
  void StartDumpCommand() override {
    std::wstring command = ui::Wide(options.arp_command);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    if (dump_process) CloseHandle(dump_process);
    dump_process = nullptr;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
      CloseHandle(pi.hThread);
      dump_process = pi.hProcess;  // only the fast sweep waits for it
    }
  }
  void DeleteDump() override { DeleteFileW(options.dump_path.c_str()); }
  FileStatus ReadDump(std::string& text) override { return ReadWholeFile(options.dump_path, text); }
  std::string DumpPathText() override { return ui::Gbk(options.dump_path.wstring()); }
  // IcmpFastPlatform: the echo with a receive time-out of 0 polls once and goes on.
  void SendEcho(const std::string& host) override {
    TIdIcmpClient& client = Icmp();
    struct Restore {
      TIdIcmpClient& c;
      std::int32_t timeout;
      ~Restore() { c.ReceiveTimeout = timeout; }
    } restore{client, client.ReceiveTimeout};
    client.ReceiveTimeout = 0;
    Echo(host);
  }
  std::uint64_t NowUs() override { return FastSweepClockUs(); }
  size_t Resolving(const std::set<std::string>& hosts) override {
    return IpNetTable().Resolving(hosts);
  }
  bool DumpCommandEnded() override {
    return !dump_process || WaitForSingleObject(dump_process, 0) == WAIT_OBJECT_0;
  }

  bool ResolveRunning() const {
    return resolve_thread && WaitForSingleObject(resolve_thread, 0) != WAIT_OBJECT_0;
  }

  static DWORD WINAPI ResolveThread(LPVOID param) {
    auto* self = static_cast<Impl*>(param);
    struct Closing {};
    try {
      ResolveAllNames(
          self->view,
          [self](const std::function<void()>& step) {
            if (self->closing) throw Closing{};
            self->caller.Call(step);
          },
          &ReverseLookup);
    } catch (...) {
      // Closing, or a failed allocation: the batch ends; each name already written stays.
    }
    return 0;
  }

  ScanView& view;
  ScanRunOptions options;
  TNbt nbt;
  std::optional<TIdIcmpClient> icmp;
  WindowThreadCall caller;
  std::string protocol = kNetBios;
  std::atomic<bool> closing{false};
  bool icmp_running = false;
  bool icmp_cancel = false;
  HANDLE resolve_thread = nullptr;
  HANDLE dump_process = nullptr;  // the dump command started last
};

ScanRun::ScanRun(ScanView& view, ScanRunOptions options)
    : impl_(std::make_unique<Impl>(view, std::move(options))) {}

ScanRun::~ScanRun() = default;

void ScanRun::ScanClick(const std::string& start, const std::string& end,
                        const std::string& protocol, const std::string& timeout_text, bool fast) {
  Impl& s = *impl_;
  // A click from the ICMP sweep's own pending input would nest a second sweep inside it.
  if (s.icmp_running) return;
  // A click from inside one of the scanner's own notifications or message boxes: its sweep
  // thread waits for that step, so waiting for the sweep here would never end.
  if (s.nbt.InNotification()) return;
  if (protocol == kNetBios) {
    s.protocol = protocol;
    if (s.nbt.SweepRunning()) {
      // Stop the running sweep and let its end notification through before starting anew.
      s.nbt.Stop();
      s.nbt.WaitSweepEnd();
    }
    NbtScanStarting(s.view);
    s.nbt.StartIP = start;
    s.nbt.EndIP = end;
    s.nbt.Timeout = TimeoutFromText(timeout_text);
    s.nbt.Fast = fast;
    s.nbt.OnSend = [&s] { NbtSendEvent(s.view, s.nbt.StatusText); };
    s.nbt.OnEnd = [&s] { NbtEndEvent(s.view, s.nbt.DroppedQueries(), s.nbt.FoundOnRetry()); };
    s.nbt.Start();
    return;
  }
  if (s.nbt.SweepRunning()) {
    s.nbt.Stop();
    s.nbt.WaitSweepEnd();
  }
  s.protocol = protocol;
  s.icmp_running = true;
  try {
    if (fast) {
      RunIcmpFastSweep(s.view, s, start, end, s.icmp_cancel);
    } else {
      IcmpSweepPauses pauses;
      pauses.harvest_ms = s.options.harvest_pause_ms;
      pauses.dump_ms = s.options.dump_pause_ms;
      RunIcmpSweep(s.view, s, pauses, start, end, s.icmp_cancel);
    }
  } catch (const std::exception& e) {
    s.view.ShowError(e.what());
  }
  s.icmp_running = false;
}

void ScanRun::StopClick() {
  Impl& s = *impl_;
  if (s.protocol == kNetBios) {
    s.nbt.Stop();
  } else {
    IcmpStopClick(s.view, s.icmp_cancel);
  }
}

void ScanRun::ResolveNamesClick() {
  Impl& s = *impl_;
  // One batch at a time: a second click while one runs is ignored.
  if (s.ResolveRunning()) return;
  if (s.resolve_thread) {
    CloseHandle(s.resolve_thread);
    s.resolve_thread = nullptr;
  }
  s.resolve_thread = CreateThread(nullptr, 0, &Impl::ResolveThread, &s, 0, nullptr);
}

void ScanRun::ColumnClick(int column) {
  impl_->view.Hosts().Sort(
      [column](const HostRecord& a, const HostRecord& b) { return CompareRecords(a, b, column); });
  impl_->view.HostsChanged();
}

void ScanRun::DeleteDumpFile() {
  DeleteFileW(impl_->options.dump_path.c_str());
}

bool ScanRun::NbtSweepRunning() const {
  return impl_->nbt.SweepRunning();
}
bool ScanRun::ResolveRunning() const {
  return impl_->ResolveRunning();
}

TNbt& ScanRun::Nbt() {
  return impl_->nbt;
}
TIdIcmpClient& ScanRun::IcmpClient() {
  return impl_->Icmp();
}

}  // namespace lr

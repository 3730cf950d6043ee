// The NetBIOS scanner and its sweep thread.
#include "scanner/win32/nbtstat.h"

#include "base/format.h"
#include "scanner/ip_text.h"
#include "scanner/nbt_walk.h"
#include "scanner/scan_texts.h"
#include "scanner/send_room.h"
#include "scanner/win32/fast_sweep.h"
#include "ui/message_box.h"

namespace lr {

namespace {

constexpr UINT kSocketMessage = WM_USER + 1;  // 1025
constexpr wchar_t kNotifyClass[] = L"LanrosterNbtNotify";
constexpr DWORD kSendRoomWaitMs = 200;
// The walk reads the neighbour table after every this many queries.
constexpr size_t kNbtTableReadEvery = 8;

void RegisterNotifyClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kNotifyClass;
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
}

// The sweep's wait after each query. The time of a query's step (the hand-over to the
// window thread and the send) and a timed wait that wakes a little late (a few ms under
// Wine on a loaded machine) add up over a range of silent addresses. The pacer counts the
// wait from the start of the query's step and learns the lateness from earlier waits that
// ran out, so a silent address costs Timeout on average. A datagram still ends the wait at
// once, and a reply that comes later is still taken in as a record.
class WaitPacer {
 public:
  WaitPacer() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    ticks_per_ms_ = static_cast<double>(f.QuadPart) / 1000.0;
  }

  // The query's step begins.
  void Begin() { QueryPerformanceCounter(&begin_); }

  void Wait(HANDLE ack, HANDLE stop, std::uint32_t timeout_ms) {
    const HANDLE waits[2] = {ack, stop};
    const bool paced = timeout_ms >= kMinPacedMs && ticks_per_ms_ > 0;
    std::uint32_t ask = timeout_ms;
    if (paced) {
      // At most a quarter of the time-out is given to the step and the lateness.
      double less = SinceMs(begin_) + late_ms_;
      if (less > timeout_ms / 4.0) less = timeout_ms / 4.0;
      ask = timeout_ms - static_cast<std::uint32_t>(less);
    }
    LARGE_INTEGER before;
    QueryPerformanceCounter(&before);
    const DWORD r = WaitForMultipleObjects(2, waits, FALSE, ask);
    if (paced && r == WAIT_TIMEOUT) {
      double over = SinceMs(before) - ask;
      if (over < 0) over = 0;
      late_ms_ = 0.8 * late_ms_ + 0.2 * over;
    }
  }

 private:
  double SinceMs(const LARGE_INTEGER& t) const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - t.QuadPart) / ticks_per_ms_;
  }

  static constexpr std::uint32_t kMinPacedMs = 10;
  double ticks_per_ms_ = 0;
  double late_ms_ = 0;
  LARGE_INTEGER begin_ = {};
};

}  // namespace

TNbt::TNbt(NbtPorts ports) : ports_(ports) {
  RegisterNotifyClass(&TNbt::NotifyProc);
  notify_window_ = CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(notify_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  WSADATA data;
  if (WSAStartup(0x0101, &data) != 0) {
    ShowBox("StartUp Error!");
  } else {
    started_ = true;
  }

  socket_ = socket(AF_INET, SOCK_DGRAM, 0);
  if (socket_ == INVALID_SOCKET) ShowBox(StrFormat("%d", WSAGetLastError()) + "  Socket创建失败");

  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_port = htons(ports_.local);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) ShowBox("bind fail");

  WSAAsyncSelect(socket_, notify_window_, kSocketMessage, FD_READ);

  ack_event_ = CreateEventW(nullptr, TRUE, FALSE, L"WAIT_ACK");
  stop_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Timeout = 100;
}

TNbt::~TNbt() {
  Stop();
  WaitSweepEnd();
  send_thread_.reset();
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  if (started_) WSACleanup();
  if (notify_window_) DestroyWindow(notify_window_);
  if (ack_event_) CloseHandle(ack_event_);
  if (stop_event_) CloseHandle(stop_event_);
}

void TNbt::SetListView(HostList* list, Notify changed) {
  list_ = list;
  list_changed_ = std::move(changed);
}

bool TNbt::Start() {
  if (in_window_steps_ > 0) return false;
  if (SweepRunning()) {
    Stop();
    WaitSweepEnd();
  }
  send_thread_.reset();
  dropped_ = 0;
  retry_.Clear(Fast);
  stop_flag_ = false;
  ResetEvent(stop_event_);
  ResetEvent(ack_event_);  // an answer to the last sweep must not cut this one's first wait
  send_thread_ = std::make_unique<TSendDataThread>(*this);
  send_thread_->Resume();
  return true;
}

void TNbt::Stop() {
  stop_flag_ = true;
  if (send_thread_ && !send_thread_->Finished()) SetEvent(stop_event_);
}

bool TNbt::SweepRunning() const {
  return send_thread_ && !send_thread_->Finished();
}

void TNbt::WaitSweepEnd() {
  if (send_thread_) WaitRunningSentMessages(send_thread_->Handle());
}

std::uint16_t TNbt::BoundPort() const {
  sockaddr_in addr = {};
  int len = sizeof addr;
  if (getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  return ntohs(addr.sin_port);
}

void TNbt::ShowBox(const std::string& text) {
  if (stop_flag_ && SweepRunning()) return;  // the sweep is ending: nobody waits for its boxes
  ++in_window_steps_;
  ui::ShowMessage("Lanroster", text, MB_OK);
  --in_window_steps_;
  if (CloseAsked && CloseAsked()) Stop();
}

void TNbt::Synchronize(const std::function<void()>& step) {
  window_call_.Call([this, &step] {
    ++in_window_steps_;
    try {
      step();
    } catch (...) {
      --in_window_steps_;
      throw;
    }
    --in_window_steps_;
  });
}

void TNbt::SendQuery(const std::uint8_t* packet, size_t n, const std::string& ip) {
  sockaddr_in peer = {};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(ports_.remote);
  peer.sin_addr.s_addr = inet_addr(ip.c_str());
  const auto* to = reinterpret_cast<const sockaddr*>(&peer);
  const int len = static_cast<int>(n);

  SendRoomIo io;
  io.send = [&] {
    SendAttempt a;
    a.result = sendto(socket_, reinterpret_cast<const char*>(packet), len, 0, to, sizeof peer);
    a.would_block = a.result == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK;
    return a;
  };
  io.wait_room = [&](std::uint32_t ms) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(socket_, &writable);
    timeval tv = {static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    select(0, nullptr, &writable, nullptr, &tv);
  };
  io.now_ms = [] { return static_cast<std::uint32_t>(GetTickCount()); };
  switch (SendWithRoom(io, len, kSendRoomWaitMs)) {
    case SendOutcome::kSent:
      break;
    case SendOutcome::kDropped:
      ++dropped_;
      break;
    case SendOutcome::kFailed:
      ShowBox("SOCKET_ERROR,send fail.");
      ShowBox("Not Send all");
      break;
    case SendOutcome::kShort:
      ShowBox("Not Send all");
      break;
  }
}

LRESULT CALLBACK TNbt::NotifyProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kSocketMessage) {
    auto* self = reinterpret_cast<TNbt*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) self->OnSocketRead(lparam);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void TNbt::OnSocketRead(LPARAM lparam) {
  if (WSAGETSELECTEVENT(lparam) != FD_READ) return;
  std::uint8_t buffer[kNbtReceiveBufferSize];
  sockaddr_in from = {};
  int from_len = sizeof from;
  const int n = recvfrom(socket_, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                         reinterpret_cast<sockaddr*>(&from), &from_len);
  if (n > 0) {
    const auto* a = reinterpret_cast<const std::uint8_t*>(&from.sin_addr.s_addr);
    try {
      const std::string ip = DottedQuad(a[0], a[1], a[2], a[3]);
      if (!retry_.Answered(ip)) {
        SetEvent(ack_event_);
        return;
      }
      HostRecord record = ParseReply(buffer, static_cast<size_t>(n), ip);
      FillZeroMac(record, neighbours_);
      if (list_) {
        list_->InsertTop(std::move(record));
        if (list_changed_) list_changed_();
      }
    } catch (...) {
      // Never across the window procedure (only allocation can fail here).
    }
  }
  SetEvent(ack_event_);
}

TSendDataThread::TSendDataThread(TNbt& nbt) : nbt_(nbt) {
  thread_ = CreateThread(nullptr, 0, &TSendDataThread::ThreadProc, this, CREATE_SUSPENDED, nullptr);
}

TSendDataThread::~TSendDataThread() {
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
}

void TSendDataThread::Resume() {
  if (thread_) ResumeThread(thread_);
}

bool TSendDataThread::Finished() const {
  return !thread_ || WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
}

DWORD WINAPI TSendDataThread::ThreadProc(LPVOID self) {
  static_cast<TSendDataThread*>(self)->Execute();
  return 0;
}

void TSendDataThread::Execute() {
  TNbt& nbt = nbt_;
  const auto raise_end = [&nbt] {
    nbt.Synchronize([&nbt] {
      if (nbt.OnEnd) nbt.OnEnd();
    });
  };

  bool fast = false;
  nbt.Synchronize([&] {
    CurrentIP = nbt.StartIP;
    EndIP = nbt.EndIP;
    fast = nbt.Fast;
  });
  if (!IsValidIP(CurrentIP) || !IsValidIP(EndIP)) {
    nbt.Synchronize([&nbt] { nbt.ShowBox("Illegal IP address!"); });
    return;
  }
  if (fast) {
    RunNbtFastSweepThread(nbt, NbtQueryTargets(CurrentIP, EndIP));
    raise_end();
    return;
  }
  std::uint8_t cur[4];
  std::uint8_t end[4];
  SplitOctets(CurrentIP, cur);
  SplitOctets(EndIP, end);
  NbtWalk walk(cur, end);
  WaitPacer pacer;
  // One query and its wait, the same for the walk and the retries. A retry goes only to
  // an address that has not answered since its round was drawn up.
  const auto query = [&](const std::string& ip, bool again) {
    CurrentIP = ip;
    pacer.Begin();
    bool asked = true;
    nbt.Synchronize([&] {
      asked = !again || nbt.retry_.AskAgain(CurrentIP);
      if (!asked) return;
      nbt.StatusText = NbtStatusText(CurrentIP);
      if (nbt.OnSend) nbt.OnSend();
      nbt.SendQuery(kNodeStatusQuery.data(), kNodeStatusQuery.size(), CurrentIP);
    });
    if (!asked) return;
    std::uint32_t timeout = nbt.Timeout;
    if (timeout >= INFINITE) timeout = INFINITE - 1;
    pacer.Wait(nbt.ack_event_, nbt.stop_event_, timeout);
    ResetEvent(nbt.ack_event_);
  };

  // A walk over a /24 takes longer than the system keeps some neighbour entries, so the
  // table is read along the way: a host asked early is still known as live at the end.
  std::vector<std::string> walked;
  ResolvedSeen resolved(nbt.neighbours_);
  for (;;) {
    if (nbt.stop_flag_) {
      raise_end();
      return;
    }
    walked.push_back(walk.Current());
    query(walked.back(), false);
    if (walked.size() % kNbtTableReadEvery == 0) resolved.Read();
    if (!walk.Advance()) break;
  }
  // Each round waits for answers still on their way before it is drawn up.
  const auto silent = [&] {
    const std::set<std::string>& live = resolved.Read();
    std::vector<std::string> again;
    nbt.Synchronize([&] { again = nbt.retry_.Silent(walked, live); });
    return again;
  };
  for (int round = 0; round < kNbtRetryRounds && !nbt.stop_flag_; ++round) {
    if (silent().empty()) break;
    WaitForSingleObject(nbt.stop_event_, kNbtLateAnswerMs);
    if (nbt.stop_flag_) break;
    ResetEvent(nbt.ack_event_);  // the late answers must not cut the round's first wait
    for (const std::string& ip : silent()) {
      if (nbt.stop_flag_) break;
      query(ip, true);
    }
  }
  raise_end();
}

}  // namespace lr

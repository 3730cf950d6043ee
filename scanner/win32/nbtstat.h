// The NetBIOS scanner: one UDP socket bound to port 6767, kept open while the scanner
// lives, that sends the node-status request to port 137 of each address of a range and
// turns every datagram that comes back into a host record at the top of the list (an
// all-zero MAC taken from the neighbour table).
//
// The socket, the sends, the receives and the list updates all run on the thread that
// created the scanner (the window thread); read notifications arrive there as message 1025
// of a hidden window. The sweep thread (TSendDataThread) walks the range and hands every
// step that touches the scanner to that thread with a synchronous SendMessage; it meets
// the receive side through the manual-reset event "WAIT_ACK". After the range, addresses the
// neighbour table resolved but that sent no answer are asked again (NbtRetry). With Fast
// set, the sweep sends without waiting between queries and keeps one row per address
// (RunNbtFastSweep).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hostlist/host_list.h"
#include "scanner/nbt_query.h"
#include "scanner/nbt_retry.h"
#include "scanner/win32/ip_net_table.h"
#include "scanner/win32/window_thread_call.h"

namespace lr {

// Where the scanner listens and where it sends; tests choose free ports on loopback.
struct NbtPorts {
  std::uint16_t local = kNbtLocalPort;
  std::uint16_t remote = kNbtRemotePort;
};

class TSendDataThread;

class TNbt {
 public:
  using Notify = std::function<void()>;

  // Opens and binds the socket, asks for read notifications and creates "WAIT_ACK"; each
  // failure shows its message box and construction goes on.
  explicit TNbt(NbtPorts ports = {});
  ~TNbt();  // stops and waits for a running sweep, closes the socket
  TNbt(const TNbt&) = delete;
  TNbt& operator=(const TNbt&) = delete;

  // Settings of the next sweep, written on the window thread.
  std::string StartIP;
  std::string EndIP;
  std::atomic<std::uint32_t> Timeout{100};
  Notify OnSend;      // before each query; StatusText holds "正在扫描：" + address
  Notify OnEnd;       // once when a sweep ends, normally or by Stop
  bool Fast = false;  // the next sweep is the fast one
  // Asked when one of the scanner's boxes has been answered: true when the window is
  // being closed, which stops the sweep. A stopped sweep shows no more boxes.
  std::function<bool()> CloseAsked;
  std::string StatusText;

  // The list replies go into (not owned), and what to call after each insert.
  void SetListView(HostList* list, Notify changed = {});

  // Starts a sweep of StartIP..EndIP and returns at once. A sweep still running is stopped
  // and waited for first, so one range state is only ever walked by one thread. Called
  // from inside one of the scanner's own notifications or message boxes (where waiting
  // would never end) it does nothing and answers false.
  bool Start();
  // Sets the stop flag; the sweep ends at its next poll, cutting short the wait it is in,
  // and raises OnEnd. Without a sweep only the flag is set.
  void Stop();
  bool SweepRunning() const;
  // Waits on the window thread until the sweep thread has ended, running its steps.
  void WaitSweepEnd();

  // Sends `n` bytes to the remote port of `ip`. A send that would block waits up to
  // 200 ms for room and is then dropped without a message; only a real failure shows
  // "SOCKET_ERROR,send fail." and "Not Send all".
  void SendQuery(const std::uint8_t* packet, size_t n, const std::string& ip);

  // True while one of the scanner's own steps or message boxes runs on the window thread;
  // a caller there must not wait for the sweep.
  bool InNotification() const { return in_window_steps_ > 0; }
  // Queries of the current or last sweep dropped because the socket stayed full.
  unsigned DroppedQueries() const { return dropped_; }
  // PCs of the current or last sweep that answered only when asked again.
  size_t FoundOnRetry() const { return retry_.FoundOnRetry(); }
  // The port the socket is bound to (0 when unknown).
  std::uint16_t BoundPort() const;

 private:
  friend class TSendDataThread;
  friend class NbtFastPort;
  static LRESULT CALLBACK NotifyProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  void OnSocketRead(LPARAM lparam);
  // Runs a step of the sweep thread on the window thread.
  void Synchronize(const std::function<void()>& step);
  void ShowBox(const std::string& text);

  NbtPorts ports_;
  SOCKET socket_ = INVALID_SOCKET;
  bool started_ = false;
  HWND notify_window_ = nullptr;
  HANDLE ack_event_ = nullptr;   // "WAIT_ACK", manual reset
  HANDLE stop_event_ = nullptr;  // cuts a sweep's wait short at Stop
  std::atomic<bool> stop_flag_{false};
  HostList* list_ = nullptr;
  Notify list_changed_;
  IpNetTable neighbours_;  // fills the MAC of answers with an all-zero unit ID
  NbtRetry retry_;         // who answered, and who was asked again
  WindowThreadCall window_call_;
  int in_window_steps_ = 0;  // depth of sweep steps and boxes running on the window thread
  unsigned dropped_ = 0;
  std::unique_ptr<TSendDataThread> send_thread_;
};

// The sweep thread: walks the range and paces the queries.
class TSendDataThread {
 public:
  explicit TSendDataThread(TNbt& nbt);
  ~TSendDataThread();
  void Resume();
  HANDLE Handle() const { return thread_; }
  bool Finished() const;

  std::string CurrentIP;
  std::string EndIP;

 private:
  static DWORD WINAPI ThreadProc(LPVOID self);
  void Execute();

  TNbt& nbt_;
  HANDLE thread_ = nullptr;
};

}  // namespace lr

// The scan run as the main window uses it: one object, created on the window thread with
// the window's ScanView, that owns the NetBIOS scanner and the ICMP echo client and answers
// the window's handlers (btnScanClick, btnStopClick, N10Click, Listview1ColumnClick).
//
// Every method is called on the window thread. Worker threads (the NetBIOS sweep, the
// batch name resolution) hand each step that touches the view to that thread with a
// synchronous SendMessage, so the view is only ever used on it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "scanner/scan_view.h"

namespace lr {

class TNbt;
class TIdIcmpClient;

// The constants of an ICMP sweep's harvest and of the echo wait. Tests shorten the pauses
// and point the command and the dump at their own files.
struct ScanRunOptions {
  unsigned harvest_pause_ms = 4000;  // after the last echo, before the arp command
  unsigned dump_pause_ms = 2500;     // after starting the arp command, before reading
  // Command line (GBK) started with a hidden window; it is not waited for.
  std::string arp_command = "cmd /c arp -a >C:\\WINDOWS\\IPMAC.TXT";
  std::filesystem::path dump_path = L"C:\\WINDOWS\\IPMAC.TXT";
  int echo_receive_timeout_ms = 30;  // IdIcmpClient1's ReceiveTimeout
  // The NetBIOS scanner's local and remote ports (tests use free ports on loopback).
  unsigned short nbt_local_port = 6767;
  unsigned short nbt_remote_port = 137;
};

class ScanRun {
 public:
  explicit ScanRun(ScanView& view, ScanRunOptions options = {});
  // Stops and waits for a running sweep (without its end texts) and batch resolution
  // (which writes nothing more).
  ~ScanRun();
  ScanRun(const ScanRun&) = delete;
  ScanRun& operator=(const ScanRun&) = delete;

  // btnScanClick. `protocol` "NetBios" (exactly) runs the NetBIOS sweep, which returns at
  // once and reports through the view; any other text runs the ICMP sweep to its end inside
  // this call, letting the window handle pending input between echoes.
  // A click while an ICMP sweep runs (from its pending input) is ignored; a click while a
  // NetBIOS sweep runs stops that sweep and waits for its end before starting anew (so one
  // range state is only ever walked by one thread); a click from inside one of the
  // scanner's own notifications or message boxes is ignored. An ICMP range whose third
  // number would pass 255 ends its echoes at x.x.255.255 and goes on to the harvest.
  // The time-out text counts as 0 when it is not a number or is negative. With `fast`
  // (the scan options' "快速扫描") either sweep is its fast one.
  void ScanClick(const std::string& start, const std::string& end, const std::string& protocol,
                 const std::string& timeout_text, bool fast = false);
  // btnStopClick: the protocol is the one of the last ScanClick.
  void StopClick();
  // N10Click: the batch reverse lookup of every record on a worker thread; returns at once.
  // Each name goes into the record it was looked up for (by the record's id), a name for a
  // record deleted meanwhile is dropped. A click while a batch runs is ignored.
  void ResolveNamesClick();
  // Listview1ColumnClick: ascending sort of the whole list by that column.
  void ColumnClick(int column);

  // FormClose: deletes the ARP dump file if present.
  void DeleteDumpFile();

  // True while a NetBIOS sweep thread or a batch resolution thread is alive.
  bool NbtSweepRunning() const;
  bool ResolveRunning() const;

  TNbt& Nbt();
  TIdIcmpClient& IcmpClient();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lr

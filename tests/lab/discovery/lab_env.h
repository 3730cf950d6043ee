// What the discovery lab tests know about the lab they run in: its folder (LRLAB_DIR, a
// Windows path), the PC table the lab was built from, the scanner's and a silent address,
// and the answers Samba's nmblookup gave for each PC, read as a real peer sees them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostlist/host_record.h"

namespace lab {

struct LabPc {
  std::string ip;
  std::string mac;         // as the table writes it: 00:0c:29:ab:01:02
  std::string kind;        // "ours", "hostile" or "nmbd"
  std::string hosts_name;  // empty: no entry in the scanner's hosts file
  std::string workgroup;   // what a node-status sweep shows, without padding
  std::string computer;    // (empty: the field is empty)
};

// The lab's folder, or empty when the program runs outside a lab.
std::string LabDir();
std::string LabFile(const std::string& name);  // LabDir() + "\\" + name
std::string ScannerIp();
std::string SilentIp();

// The PC table (pcs.conf in the lab folder); throws std::runtime_error when unreadable.
std::vector<LabPc> LoadLabPcs();
// "\xHH" escapes turned into bytes.
std::string DecodeEscapes(const std::string& text);

// The record fields a NetBIOS sweep must show for a PC.
std::string Pad15(const std::string& name);
// 00.0C.29.AB.01.02; for nmbd (unit ID all zeros) the scanner's neighbour table gives it.
std::string NbtMacText(const LabPc& pc);
std::string ArpMacText(const LabPc& pc);  // 00-0C-29-AB-01-02
lr::HostRecord ExpectedNbtRecord(const LabPc& pc);

// One PC as `nmblookup -A` printed it.
struct PeerName {
  std::string name;  // the 15 characters as printed (bytes it can't print show as '.')
  int suffix = 0;
  bool group = false;
};
struct PeerStatus {
  std::vector<PeerName> names;
  std::string mac;  // "00-0C-29-AB-01-02"
};
// Reads nmblookup's output; false when it holds no status (no "MAC Address" line).
bool ReadNmblookup(const std::string& text, PeerStatus& out);

// Workgroup and computer name that a node-status reader takes from this name table, in
// table order: group names with suffix 0x00 and unique names with suffix 0x03 give the
// workgroup, unique names with suffix 0x20 the computer name; later entries win.
void PeerRecordNames(const PeerStatus& peer, std::string& workgroup, std::string& computer);
// A 15-character name of a record agrees with the peer's print of it: equal bytes, where a
// '.' of the peer stands for any byte it can't print (and a control byte shows as a space
// in the record).
bool PeerNameAgrees(const std::string& record_name, const std::string& peer_name);

std::string Describe(const lr::HostRecord& record);

}  // namespace lab

// The lab's description as the discovery lab tests read it; see lab_env.h.
#include "tests/lab/discovery/lab_env.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lab {

namespace {

std::string Env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string Replace(std::string text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Field(const std::string& text) {
  return text == "-" ? "" : DecodeEscapes(text);
}

}  // namespace

std::string LabDir() {
  return Env("LRLAB_DIR", "");
}
std::string LabFile(const std::string& name) {
  return LabDir() + "\\" + name;
}
std::string ScannerIp() {
  return Env("LRLAB_SCANNER_IP", "192.168.0.254");
}
std::string SilentIp() {
  return Env("LRLAB_SILENT_IP", "192.168.0.200");
}

std::string DecodeEscapes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<LabPc> LoadLabPcs() {
  std::ifstream in(LabFile("pcs.conf"), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + LabFile("pcs.conf"));
  std::vector<LabPc> pcs;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    LabPc pc;
    std::string hosts, workgroup, computer;
    if (!(words >> pc.ip) || pc.ip[0] == '#') continue;
    if (!(words >> pc.mac >> pc.kind >> hosts >> workgroup >> computer)) {
      throw std::runtime_error("bad PC line: " + line);
    }
    pc.hosts_name = hosts == "-" ? "" : hosts;
    pc.workgroup = Field(workgroup);
    pc.computer = Field(computer);
    pcs.push_back(pc);
  }
  if (pcs.empty()) throw std::runtime_error("no PCs in " + LabFile("pcs.conf"));
  return pcs;
}

std::string Pad15(const std::string& name) {
  return name.size() >= 15 ? name.substr(0, 15) : name + std::string(15 - name.size(), ' ');
}

std::string NbtMacText(const LabPc& pc) {
  return Upper(Replace(pc.mac, ':', '.'));
}

std::string ArpMacText(const LabPc& pc) {
  return Upper(Replace(pc.mac, ':', '-'));
}

lr::HostRecord ExpectedNbtRecord(const LabPc& pc) {
  lr::HostRecord r;
  r.ip = pc.ip;
  r.mac = NbtMacText(pc);
  r.workgroup = pc.workgroup.empty() ? "" : Pad15(pc.workgroup);
  r.name = pc.computer.empty() ? "" : Pad15(pc.computer);
  return r;
}

bool ReadNmblookup(const std::string& text, PeerStatus& out) {
  out = {};
  std::istringstream in(text);
  std::string line;
  bool have_mac = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string mac_label = "MAC Address = ";
    size_t at = line.find(mac_label);
    if (at != std::string::npos) {
      out.mac = line.substr(at + mac_label.size());
      have_mac = true;
      continue;
    }
    // "\t%-15s <%02x> - <GROUP> B <ACTIVE> "
    if (line.size() < 21 || line[0] != '\t' || line[16] != ' ' || line[17] != '<' ||
        line[20] != '>') {
      continue;
    }
    int hi = HexDigit(line[18]), lo = HexDigit(line[19]);
    if (hi < 0 || lo < 0) continue;
    PeerName name;
    name.name = line.substr(1, 15);
    name.suffix = hi * 16 + lo;
    name.group = line.find("<GROUP>", 21) != std::string::npos;
    out.names.push_back(name);
  }
  return have_mac;
}

void PeerRecordNames(const PeerStatus& peer, std::string& workgroup, std::string& computer) {
  workgroup.clear();
  computer.clear();
  for (const PeerName& n : peer.names) {
    if (n.group && n.suffix == 0x00) workgroup = n.name;
    if (!n.group && n.suffix == 0x03) workgroup = n.name;
    if (!n.group && n.suffix == 0x20) computer = n.name;
  }
}

bool PeerNameAgrees(const std::string& record_name, const std::string& peer_name) {
  if (record_name.size() != peer_name.size()) return false;
  for (size_t i = 0; i < record_name.size(); ++i) {
    unsigned char r = static_cast<unsigned char>(record_name[i]);
    char p = peer_name[i];
    if (p == '.') {
      if (r == '.' || r == ' ' || r < 0x20 || r > 0x7E) continue;
      return false;
    }
    if (record_name[i] != p) return false;
  }
  return true;
}

std::string Describe(const lr::HostRecord& r) {
  return "{" + r.ip + " | " + r.mac + " | '" + r.workgroup + "' | '" + r.name + "' | '" + r.remark +
         "'}";
}

}  // namespace lab

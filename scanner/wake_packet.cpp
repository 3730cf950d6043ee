// Wake-on-LAN packets, targets and routes.
#include "scanner/wake_packet.h"

#include <algorithm>

#include "base/field_texts.h"

namespace lr {

std::array<std::uint8_t, kMagicPacketSize> MagicPacket(const MacBytes& mac) {
  std::array<std::uint8_t, kMagicPacketSize> packet;
  std::fill_n(packet.begin(), 6, 0xFF);
  for (size_t i = 0; i < 16; ++i) std::copy(mac.begin(), mac.end(), packet.begin() + 6 + i * 6);
  return packet;
}

std::vector<std::string> WakeRowMacs(const HostList& list, std::optional<size_t> selected) {
  if (selected && *selected < list.Count()) return {list.At(*selected).mac};
  std::vector<std::string> macs;
  for (size_t i = 0; i < list.Count(); ++i) macs.push_back(list.At(i).mac);
  return macs;
}

WakeTargets WakeTargetsOf(const std::vector<std::string>& mac_texts) {
  WakeTargets out;
  for (const std::string& text : mac_texts) {
    unsigned char raw[6];
    MacBytes mac;
    const bool parsed = ParseMacText(text, raw);
    if (parsed) std::copy_n(raw, 6, mac.begin());
    // All zeros is no adapter; the group bit marks broadcast and multicast addresses.
    const bool adapter = parsed && (mac[0] & 1) == 0 &&
                         std::any_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b; });
    if (!adapter) {
      ++out.invalid_rows;
    } else if (std::find(out.macs.begin(), out.macs.end(), mac) == out.macs.end()) {
      out.macs.push_back(mac);
    }
  }
  return out;
}

std::vector<WakeRoute> WakeRoutes(const std::vector<LocalAddress>& addresses) {
  std::vector<WakeRoute> routes;
  std::vector<std::uint32_t> interfaces;
  std::vector<std::uint32_t> directed;
  for (const LocalAddress& a : addresses) {
    if (!a.up || a.address == 0 || (a.address >> 24) == 127) continue;
    if (std::find(interfaces.begin(), interfaces.end(), a.interface_index) == interfaces.end()) {
      interfaces.push_back(a.interface_index);
      routes.push_back({a.address, kLimitedBroadcast});
    }
    const std::uint32_t host_bits = ~a.mask;
    if (host_bits < 3) continue;  // /31, /32
    const std::uint32_t broadcast = a.address | host_bits;
    if (broadcast == kLimitedBroadcast ||
        std::find(directed.begin(), directed.end(), broadcast) != directed.end())
      continue;
    directed.push_back(broadcast);
    routes.push_back({a.address, broadcast});
  }
  if (routes.empty()) routes.push_back({0, kLimitedBroadcast});
  return routes;
}

std::string WakeStatusText(size_t sent, size_t invalid_rows, size_t failed) {
  std::string text = "已向 " + std::to_string(sent) + " 台计算机发送唤醒包";
  if (invalid_rows) text += "，" + std::to_string(invalid_rows) + " 行 MAC 无效";
  if (failed) text += "，" + std::to_string(failed) + " 台发送失败";
  return text;
}

}  // namespace lr

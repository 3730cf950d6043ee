// Every progress and result text of a scan run (GBK).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lr {

// NetBIOS: the scanner's StatusText before each query.
std::string NbtStatusText(const std::string& ip);
// NetBIOS end, panel 0 and panel 1.
std::string NbtEndText();
std::string NbtEndCountText(size_t records);
// NetBIOS end, after the panel 0 text: queries dropped on a full send buffer.
std::string NbtDroppedText(unsigned dropped);
// NetBIOS end, last on panel 0: PCs that answered only when asked again.
std::string NbtRetryFoundText(size_t found);

// ICMP: panel 0 after an echo; at a carry into the next third octet there is no blank
// between 地址 and the count.
std::string IcmpEchoText(const std::string& host, std::int32_t count, bool carry);
// ICMP: the progress panel's caption after an echo (not at a carry).
std::string IcmpProgressText(const std::string& host);
std::string IcmpHarvestText();
std::string IcmpDoneText(size_t records);
std::string IcmpCancelText();

// Batch name resolution done (panel 1).
std::string ResolveDoneText();

// "Cannot open file "%s". %s".
std::string CannotOpenFileText(const std::string& path, const std::string& reason);

}  // namespace lr

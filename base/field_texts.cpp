#include "base/field_texts.h"

#include "base/format.h"
#include "base/gbk.h"

namespace lr {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

bool ParseMacText(std::string_view text, unsigned char (&mac)[6]) {
  text = TrimBlanks(text);
  const bool joined = text.size() == 17;
  if (!joined && text.size() != 12) return false;
  const char sep = joined ? text[2] : 0;
  if (joined && sep != '-' && sep != ':' && sep != '.') return false;
  for (size_t b = 0; b < 6; ++b) {
    const size_t at = joined ? b * 3 : b * 2;
    if (joined && b > 0 && text[at - 1] != sep) return false;
    const int hi = HexValue(text[at]);
    const int lo = HexValue(text[at + 1]);
    if (hi < 0 || lo < 0) return false;
    mac[b] = static_cast<unsigned char>(hi * 16 + lo);
  }
  return true;
}

std::string ClientMacText(const unsigned char mac[6]) {
  return StrFormat("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

std::string ClientMacForm(std::string_view text) {
  unsigned char mac[6];
  return ParseMacText(text, mac) ? ClientMacText(mac) : std::string();
}

bool ParseDottedIPv4(std::string_view text, std::uint32_t& address) {
  std::uint32_t value = 0;
  size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
    const size_t start = i;
    unsigned octet = 0;
    while (i < text.size() && i - start < 4 && text[i] >= '0' && text[i] <= '9')
      octet = octet * 10 + static_cast<unsigned>(text[i++] - '0');
    const size_t digits = i - start;
    if (digits == 0 || digits > 3 || octet > 255 || (digits > 1 && text[start] == '0'))
      return false;
    value = (value << 8) | octet;
  }
  if (i != text.size()) return false;
  address = value;
  return true;
}

std::string ComputerNameFault(std::string_view name) {
  if (name.empty()) return "计算机名为空";
  if (name.find_first_not_of('-') == std::string_view::npos) return "计算机名未知（“-”）";
  if (name.size() > kMaxComputerNameBytes) return "计算机名超过15个字节，Windows会截短";
  if (name.find_first_not_of("0123456789") == std::string_view::npos)
    return "计算机名全是数字，Windows不接受";
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsGbkLeadByte(c)) {
      if (i + 1 == name.size()) return "计算机名末尾有残缺的双字节字符";
      ++i;
      continue;
    }
    if (c <= ' ' || c == 0x7F) return "计算机名含空格或控制字符";
    if (std::string_view("\"/\\[]:|<>+=;,?*.").find(static_cast<char>(c)) != std::string_view::npos)
      return StrFormat("计算机名含Windows不接受的字符“%c”", c);
  }
  return {};
}

}  // namespace lr

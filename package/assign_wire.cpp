// The assignment datagrams: building, reading and checking them.
#include "package/assign_wire.h"

#include <algorithm>

#include "base/field_texts.h"
#include "base/format.h"
#include "base/gbk.h"

namespace lr {

namespace {

constexpr std::string_view kRequestMagic = "LRQ1";
constexpr std::string_view kAnswerMagic = "LRA1";
constexpr std::string_view kPackageIdLabel = "Lanroster assign package id";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a datagram front to back; every take fails once the bytes run out.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}
  bool Take(size_t count, std::string_view& out) {
    if (count > rest_.size()) return false;
    out = rest_.substr(0, count);
    rest_.remove_prefix(count);
    return true;
  }
  bool TakeByte(size_t& out) {
    std::string_view b;
    if (!Take(1, b)) return false;
    out = static_cast<unsigned char>(b[0]);
    return true;
  }
  bool Done() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

std::string MacBytes(std::string_view text) {
  unsigned char mac[6];
  if (!ParseMacText(text, mac)) return {};
  return std::string(reinterpret_cast<const char*>(mac), 6);
}

std::string MacFromBytes(std::string_view bytes) {
  return ClientMacText(reinterpret_cast<const unsigned char*>(bytes.data()));
}

bool SameBytes(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;  // every byte looked at: the time tells nothing of where they differ
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

bool HoldsMac(const std::vector<std::string>& macs, std::string_view mac) {
  return std::any_of(macs.begin(), macs.end(),
                     [&](const std::string& m) { return ClientMacForm(m) == mac; });
}

}  // namespace

std::optional<std::string> ParseAssignKey(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.size() != kAssignKeyBytes * 2) return std::nullopt;
  std::string key;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    key += static_cast<char>(hi * 16 + lo);
  }
  return key;
}

std::string AssignKeyText(std::string_view key) {
  std::string text;
  for (char c : key) text += StrFormat("%02X", static_cast<unsigned char>(c));
  return text;
}

std::string NewAssignKeyText(AssignCrypto& crypto) {
  const std::string key = crypto.RandomBytes(kAssignKeyBytes);
  return key.size() == kAssignKeyBytes ? AssignKeyText(key) : std::string();
}

std::string AssignPackageId(AssignCrypto& crypto, std::string_view key) {
  const std::string mac = crypto.HmacSha256(key, kPackageIdLabel);
  return mac.size() == kSignatureBytes ? mac.substr(0, kPackageIdBytes) : std::string();
}

std::string EncodeAssignRequest(const AssignRequest& request) {
  if (request.package_id.size() != kPackageIdBytes || request.nonce.size() != kNonceBytes)
    return {};
  std::string macs;
  size_t count = 0;
  for (const std::string& text : request.macs) {
    const std::string mac = MacBytes(text);
    if (mac.empty() || count == kMaxRequestMacs) continue;
    macs += mac;
    ++count;
  }
  if (count == 0) return {};
  const std::string name = request.name.substr(0, kMaxAssignName);
  std::string out(kRequestMagic);
  out += request.package_id;
  out += request.nonce;
  out += static_cast<char>(count);
  out += macs;
  out += static_cast<char>(name.size());
  return out + name;
}

std::optional<AssignRequest> ParseAssignRequest(std::string_view datagram) {
  Reader in(datagram);
  std::string_view magic, id, nonce, name;
  size_t count = 0, length = 0;
  if (!in.Take(4, magic) || magic != kRequestMagic || !in.Take(kPackageIdBytes, id) ||
      !in.Take(kNonceBytes, nonce) || !in.TakeByte(count) || count == 0 || count > kMaxRequestMacs)
    return std::nullopt;
  AssignRequest request{std::string(id), std::string(nonce), {}, {}};
  for (size_t i = 0; i < count; ++i) {
    std::string_view mac;
    if (!in.Take(6, mac)) return std::nullopt;
    request.macs.push_back(MacFromBytes(mac));
  }
  if (!in.TakeByte(length) || length > kMaxAssignName || !in.Take(length, name) || !in.Done())
    return std::nullopt;
  request.name = std::string(name);
  return request;
}

std::string EncodeAssignAnswer(AssignCrypto& crypto, std::string_view key,
                               const AssignAnswer& answer) {
  const std::string mac = MacBytes(answer.mac);
  std::uint32_t ip = 0;
  if (answer.package_id.size() != kPackageIdBytes || answer.nonce.size() != kNonceBytes ||
      mac.empty() || !ParseDottedIPv4(answer.ip, ip) || answer.name.empty() ||
      answer.name.size() > kMaxAssignName)
    return {};
  std::string out(kAnswerMagic);
  out += answer.package_id;
  out += answer.nonce;
  out += mac;
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((ip >> shift) & 0xFF);
  out += static_cast<char>(answer.name.size());
  out += answer.name;
  const std::string signature = crypto.HmacSha256(key, out);
  if (signature.size() != kSignatureBytes) return {};
  return out + signature;
}

std::optional<AssignAnswer> ParseAssignAnswer(std::string_view datagram, std::string* signature) {
  Reader in(datagram);
  std::string_view magic, id, nonce, mac, ip, name, signed_by;
  size_t length = 0;
  if (!in.Take(4, magic) || magic != kAnswerMagic || !in.Take(kPackageIdBytes, id) ||
      !in.Take(kNonceBytes, nonce) || !in.Take(6, mac) || !in.Take(4, ip) || !in.TakeByte(length) ||
      length == 0 || length > kMaxAssignName || !in.Take(length, name) ||
      !in.Take(kSignatureBytes, signed_by) || !in.Done())
    return std::nullopt;
  if (signature) *signature = std::string(signed_by);
  const auto octet = [&](int i) { return static_cast<std::uint8_t>(ip[i]); };
  return AssignAnswer{std::string(id), std::string(nonce), MacFromBytes(mac),
                      DottedQuad(octet(0), octet(1), octet(2), octet(3)), std::string(name)};
}

bool LooksLikeAssignRequest(std::string_view datagram) {
  return datagram.substr(0, kRequestMagic.size()) == kRequestMagic;
}

AnswerVerdict CheckAssignAnswer(AssignCrypto& crypto, std::string_view key,
                                std::string_view package_id, std::string_view datagram,
                                const std::vector<std::string>& nonces,
                                const std::vector<std::string>& own_macs,
                                const std::vector<std::string>& master_macs, AssignAnswer& answer) {
  std::string signature;
  const std::optional<AssignAnswer> parsed = ParseAssignAnswer(datagram, &signature);
  if (!parsed) return AnswerVerdict::kMalformed;
  if (parsed->package_id != package_id) return AnswerVerdict::kOtherPackage;
  const std::string_view body = datagram.substr(0, datagram.size() - kSignatureBytes);
  if (!SameBytes(crypto.HmacSha256(key, body), signature)) return AnswerVerdict::kBadSignature;
  if (std::find(nonces.begin(), nonces.end(), parsed->nonce) == nonces.end())
    return AnswerVerdict::kOtherNonce;
  if (HoldsMac(master_macs, parsed->mac)) return AnswerVerdict::kMasterMac;
  if (!HoldsMac(own_macs, parsed->mac)) return AnswerVerdict::kNotOwnMac;
  answer = *parsed;
  return AnswerVerdict::kValid;
}

std::vector<std::string> SplitMacList(std::string_view list) {
  std::vector<std::string> macs;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
    while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
    if (!item.empty()) macs.emplace_back(item);
  }
  return macs;
}

}  // namespace lr

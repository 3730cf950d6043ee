// The datagrams by which a clone the package does not list asks the administrator's window
// for its entry, and the window's signed answer, with the checks both sides make. The
// package's secret is the AutoSet key AssignKey (32 hexadecimal digits, 128 bits); a request
// names the package by an identifier derived from it, never by the key itself.
//
// Both go by UDP broadcast to port kAssignPort. All numbers are single bytes; texts are GBK.
//   request: "LRQ1" | package id (8) | nonce (16) | MAC count n (1..16) | n MACs (6 each)
//            | name length (0..63) | computer name
//   answer:  "LRA1" | package id (8) | nonce (16) | MAC (6) | IPv4 (4, network order)
//            | name length (1..63) | computer name | HMAC-SHA256 of all before it (32)
// A datagram is whole or refused: no trailing bytes, no length past its end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/assign_crypto.h"

namespace lr {

inline constexpr std::uint16_t kAssignPort = 47123;
inline constexpr const char* kKeyAssignKey = "AssignKey";

inline constexpr size_t kAssignKeyBytes = 16;
inline constexpr size_t kPackageIdBytes = 8;
inline constexpr size_t kNonceBytes = 16;
inline constexpr size_t kMaxRequestMacs = 16;
inline constexpr size_t kMaxAssignName = 63;
inline constexpr size_t kSignatureBytes = 32;

struct AssignRequest {
  std::string package_id;         // kPackageIdBytes bytes
  std::string nonce;              // kNonceBytes bytes
  std::vector<std::string> macs;  // client MAC texts ("00-1A-2B-3C-4D-5E")
  std::string name;               // the clone's current computer name

  friend bool operator==(const AssignRequest&, const AssignRequest&) = default;
};

struct AssignAnswer {
  std::string package_id;
  std::string nonce;
  std::string mac;  // client MAC text
  std::string ip;   // dotted
  std::string name;

  friend bool operator==(const AssignAnswer&, const AssignAnswer&) = default;
};

// The key's bytes from its AutoSet text (32 hexadecimal digits, either case, blanks around
// ignored); nullopt for any other text.
std::optional<std::string> ParseAssignKey(std::string_view text);
// The key's text: upper-case hexadecimal.
std::string AssignKeyText(std::string_view key);
// A new key from the system's random source, as text; empty when the source fails.
std::string NewAssignKeyText(AssignCrypto& crypto);

// The package's identifier: the first kPackageIdBytes of the HMAC of a fixed label under the
// key. Empty when the system fails.
std::string AssignPackageId(AssignCrypto& crypto, std::string_view key);

// The request's datagram; MAC texts that don't parse are left out, at most kMaxRequestMacs
// are sent, and the name is cut to kMaxAssignName bytes. Empty when no MAC is left.
std::string EncodeAssignRequest(const AssignRequest& request);
std::optional<AssignRequest> ParseAssignRequest(std::string_view datagram);

// The answer's datagram signed with `key`; empty when a field can't be carried (a MAC or IP
// that doesn't parse, an empty or too long name) or the system fails.
std::string EncodeAssignAnswer(AssignCrypto& crypto, std::string_view key,
                               const AssignAnswer& answer);
// The answer's fields and the signature as received; the signature is not checked here.
std::optional<AssignAnswer> ParseAssignAnswer(std::string_view datagram,
                                              std::string* signature = nullptr);

// Whether a datagram starts as a request: the clone hears the other clones' requests too.
bool LooksLikeAssignRequest(std::string_view datagram);

// What the clone makes of a datagram that is no request.
enum class AnswerVerdict {
  kValid,
  kMalformed,     // no answer of this format
  kOtherPackage,  // another package's identifier
  kBadSignature,  // not signed with this package's key
  kOtherNonce,    // signed, but for a nonce this run did not send
  kNotOwnMac,     // signed, but for a MAC this machine does not have
  kMasterMac,     // signed, but for one of the master's MACs
};

// Looks at `datagram` as an answer for the clone with `own_macs`, which sent `nonces`; the
// master's MACs are `master_macs` (any MAC form). `answer` receives the fields when kValid.
AnswerVerdict CheckAssignAnswer(AssignCrypto& crypto, std::string_view key,
                                std::string_view package_id, std::string_view datagram,
                                const std::vector<std::string>& nonces,
                                const std::vector<std::string>& own_macs,
                                const std::vector<std::string>& master_macs, AssignAnswer& answer);

// The MAC texts of a comma-separated list (MasterMAC), blanks around each cut.
std::vector<std::string> SplitMacList(std::string_view list);

}  // namespace lr

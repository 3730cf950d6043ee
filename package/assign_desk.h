// The administrator's side of the clones' requests, behind the "克隆机申请..." dialog: one
// row per clone of this package (its MACs, current name, sender, first and last heard),
// other packages' requests only counted, a flood from one sender cut off, and the rows the
// administrator assigns: checked as the check before generating checks a row, added to the
// host list, and answered, again and again while the dialog is open, with the same entry.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "hostlist/host_list.h"
#include "hostlist/name_pattern.h"
#include "package/assign_wire.h"
#include "package/preflight.h"

namespace lr {

// At most this many datagrams of one sender are looked at in each kAssignRateWindow ms.
inline constexpr int kAssignRateLimit = 8;
inline constexpr std::uint64_t kAssignRateWindow = 1000;
// The package identifier goes in the clear: a flood of made-up MACs or senders stops here.
inline constexpr size_t kMaxDeskRows = 256;
inline constexpr size_t kMaxDeskSenders = 1024;

struct DeskRow {
  std::vector<std::string> macs;  // the request's, in the client's form
  std::string name;               // its current computer name
  std::uint32_t sender = 0;       // host order
  std::uint64_t first = 0, last = 0;
  std::string nonce;  // of the latest request
  // The entry given, empty until assigned.
  std::string mac, ip, assigned_name;

  bool Assigned() const { return !ip.empty(); }
};

class AssignDesk {
 public:
  // `key` is the package's key (its bytes); `options` what the check needs (gateway, mask,
  // the master's MACs).
  AssignDesk(AssignCrypto& crypto, std::string key, PreflightOptions options);

  // Looks at one datagram from `sender` at `now` (ms): the answer to broadcast at once for
  // a row already assigned, else empty.
  std::string Hear(std::string_view datagram, std::uint32_t sender, std::uint64_t now);

  // Checks `ip` and `name` for row `row` against `hosts`: the first problem in plain Chinese,
  // or empty with the row assigned, its host row appended, and the answer in `answer`.
  std::string Assign(size_t row, const std::string& ip, const std::string& name, HostList& hosts,
                     std::string& answer);
  // The next name and address the naming pattern gives that neither the list nor another
  // row holds: the pattern's prefix, width and first counter; addresses from its start
  // address, else from the gateway's subnet, within the mask.
  void Propose(const HostList& hosts, const NamePattern& pattern, std::string& ip,
               std::string& name) const;

  const std::vector<DeskRow>& rows() const { return rows_; }
  size_t other_packages() const { return other_packages_; }
  size_t ignored() const { return ignored_; }

 private:
  std::string AnswerFor(const DeskRow& row);

  AssignCrypto& crypto_;
  std::string key_;
  std::string package_id_;
  PreflightOptions options_;
  std::vector<DeskRow> rows_;
  size_t other_packages_ = 0;
  size_t ignored_ = 0;  // malformed or over the rate
  struct Rate {
    std::uint64_t since = 0;
    int count = 0;
  };
  std::map<std::uint32_t, Rate> rates_;
};

}  // namespace lr

// Keeps the lab test program from sweeping a real network: before any test runs it checks
// that it runs inside the lab's scanner namespace (the lab folder is given, the scanner's
// lab address is one of this machine's addresses, and there is no default route), and ends
// the program otherwise.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/lab/discovery/lab_env.h"

#include "tests/lab/discovery/ip_table.h"

namespace {

bool HasAddress(DWORD address) {
  auto buffer = lab::ReadIpTable<MIB_IPADDRTABLE>(
      [](MIB_IPADDRTABLE* t, ULONG* size) { return GetIpAddrTable(t, size, FALSE); });
  if (buffer.empty()) return false;
  const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    if (table->table[i].dwAddr == address) return true;
  }
  return false;
}

// True when a default route exists, or when the routing table can't be read.
bool MayRouteOut() {
  auto buffer = lab::ReadIpTable<MIB_IPFORWARDTABLE>(
      [](MIB_IPFORWARDTABLE* t, ULONG* size) { return GetIpForwardTable(t, size, FALSE); });
  if (buffer.empty()) return true;
  const auto* table = reinterpret_cast<const MIB_IPFORWARDTABLE*>(buffer.data());
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    if (table->table[i].dwForwardDest == 0 && table->table[i].dwForwardMask == 0) return true;
  }
  return false;
}

class LabGuard : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* why = nullptr;
    if (lab::LabDir().empty()) {
      why = "LRLAB_DIR is not set";
    } else if (!HasAddress(inet_addr(lab::ScannerIp().c_str()))) {
      why = "the scanner's lab address is not an address of this machine";
    } else if (MayRouteOut()) {
      why = "this namespace has a default route";
    }
    if (why) {
      std::fprintf(stderr, "not inside the discovery lab (%s); run tests/lab/suite_discovery.sh\n",
                   why);
      std::fflush(stderr);
      std::exit(2);
    }
  }
};

[[maybe_unused]] ::testing::Environment* const kGuard =
    ::testing::AddGlobalTestEnvironment(new LabGuard);

}  // namespace

// Runs only when the guard let the program through; the suite's first group.
TEST(LabGuard, ProgramRunsInsideTheLab) {
  SUCCEED();
}

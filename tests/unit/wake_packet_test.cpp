// Wake-on-LAN: the magic packet's bytes, which rows count, where the packets go and the
// status text.
#include "scanner/wake_packet.h"

#include <gtest/gtest.h>

namespace lr {
namespace {

TEST(WakePacket, SixFfThenTheMacSixteenTimesToTheDiscardPort) {
  EXPECT_EQ(kWakePort, 9);  // where adapters listen for it
  const MacBytes mac = {0x00, 0x0C, 0x29, 0xAB, 0x01, 0xFF};
  const auto packet = MagicPacket(mac);
  ASSERT_EQ(packet.size(), 102u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(packet[i], 0xFF) << i;
  for (size_t i = 6; i < packet.size(); ++i) EXPECT_EQ(packet[i], mac[(i - 6) % 6]) << i;
}

TEST(WakePacket, EveryFormOfSixPairsCountsOnceOtherRowsAreSkipped) {
  const WakeTargets t = WakeTargetsOf({
      "00.0C.29.AB.01.02",    // a NetBIOS scan's form
      "00-0c-29-ab-01-03",    // the arp tool's, lower case
      " 00:0C:29:AB:01:04 ",  // colons, blanks around
      "000C29AB0105",         // no separator
      "00-0C-29-AB-01-02",    // the first row's PC again
      "",                     // empty
      "-",                    // not known
      "00-0C-29-AB-01",       // five pairs
      "00.00.00.00.00.00",    // nmbd's unit ID: no adapter
      "FF-FF-FF-FF-FF-FF",    // broadcast
      "01-00-5E-00-00-FB",    // multicast
      "00-0C-29-AB-01-0G",    // not hexadecimal
  });
  ASSERT_EQ(t.macs.size(), 4u);
  for (std::uint8_t i = 0; i < 4; ++i)
    EXPECT_EQ(t.macs[i],
              (MacBytes{0x00, 0x0C, 0x29, 0xAB, 0x01, static_cast<std::uint8_t>(2 + i)}));
  EXPECT_EQ(t.invalid_rows, 7u);
}

TEST(WakeRoutes, LimitedBroadcastPerInterfaceAndEachDirectedBroadcast) {
  constexpr std::uint32_t kBcast = kLimitedBroadcast;
  struct Case {
    const char* what;
    std::vector<LocalAddress> addresses;
    std::vector<WakeRoute> routes;
  };
  const Case cases[] = {
      {"one /24",
       {{0xC0A800FE, 0xFFFFFF00, 7, true}},
       {{0xC0A800FE, kBcast}, {0xC0A800FE, 0xC0A800FF}}},
      {"two interfaces, loopback and a down one",
       {{0x7F000001, 0xFF000000, 1, true},
        {0xC0A800FE, 0xFFFFFF00, 7, true},
        {0x0A000001, 0xFFFF0000, 8, false},
        {0xAC100105, 0xFFFFF000, 9, true}},
       {{0xC0A800FE, kBcast},
        {0xC0A800FE, 0xC0A800FF},
        {0xAC100105, kBcast},
        {0xAC100105, 0xAC100FFF}}},
      {"a second address on the same interface and subnet",
       {{0xC0A80001, 0xFFFFFF00, 7, true},
        {0xC0A80002, 0xFFFFFF00, 7, true},
        {0xC0A80101, 0xFFFFFF00, 7, true}},
       {{0xC0A80001, kBcast}, {0xC0A80001, 0xC0A800FF}, {0xC0A80101, 0xC0A801FF}}},
      {"/31, /32 and /0 have no directed broadcast of their own",
       {{0x0A000001, 0xFFFFFFFE, 3, true},
        {0x0A000101, 0xFFFFFFFF, 4, true},
        {0x0A000201, 0x00000000, 5, true}},
       {{0x0A000001, kBcast}, {0x0A000101, kBcast}, {0x0A000201, kBcast}}},
      {"no usable address", {{0, 0, 2, true}, {0x7F000001, 0xFF000000, 1, true}}, {{0, kBcast}}},
  };
  for (const Case& c : cases) EXPECT_EQ(WakeRoutes(c.addresses), c.routes) << c.what;
}

TEST(WakeStatusText, CountsSentSkippedAndFailed) {
  const std::string sent =
      "\xD2\xD1\xCF\xF2 3 \xCC\xA8\xBC\xC6\xCB\xE3\xBB\xFA\xB7\xA2\xCB\xCD\xBB\xBD\xD0\xD1\xB0\xFC";
  const std::string invalid =
      "\xA3\xAC"
      "2 \xD0\xD0 MAC \xCE\xDE\xD0\xA7";
  const std::string failed =
      "\xA3\xAC"
      "1 \xCC\xA8\xB7\xA2\xCB\xCD\xCA\xA7\xB0\xDC";
  EXPECT_EQ(WakeStatusText(3, 0, 0), sent);
  EXPECT_EQ(WakeStatusText(3, 2, 0), sent + invalid);
  EXPECT_EQ(WakeStatusText(3, 2, 1), sent + invalid + failed);
}

}  // namespace
}  // namespace lr

// The client settings file Myset.ini: its fixed paths, the café-wide AutoSet section
// (ClientSettings) and the InfoList entries that map a MAC text to "IP~computer name".
// The generator writes it through ProfileWriter; the client reads it with these helpers.
#pragma once

#include <string>
#include <string_view>

#include "base/field_texts.h"
#include "package/profile.h"

namespace lr {

// The paths are fixed constants of both programs; on the case-insensitive file system they
// all name C:\Windows\Myset.ini.
inline constexpr const char* kSettingsPathWrite = "C:\\Windows\\Myset.ini";
inline constexpr const char* kSettingsPathDelete = "c:\\windows\\Myset.ini";
inline constexpr const char* kSettingsPathRead = "c:\\Windows\\Myset.ini";

inline constexpr const char* kSectionAutoSet = "AutoSet";
inline constexpr const char* kSectionInfoList = "InfoList";

inline constexpr const char* kKeyGateway = "Gateway";
inline constexpr const char* kKeyMask = "Mask";
inline constexpr const char* kKeyUnlockPW = "UnlockPW";
inline constexpr const char* kKeyCanReboot = "CanReboot";
inline constexpr const char* kKeyCanModifyRA2 = "CanModifyRA2";
inline constexpr const char* kKeyExecutePath = "ExecutePath";
inline constexpr const char* kKeyFormStat = "FormStat";
// The master's own adapter MACs, comma-separated: a clone holding one of them is the master.
inline constexpr const char* kKeyMasterMAC = "MasterMAC";
// The café's DNS servers, each written only when filled; a clone without them keeps its own.
inline constexpr const char* kKeyDNS1 = "DNS1";
inline constexpr const char* kKeyDNS2 = "DNS2";

inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";

// The AutoSet section in memory: every value as text, empty for an absent key.
struct ClientSettings {
  std::string gateway;
  std::string mask;
  std::string unlock_pw;  // scrambled, as stored
  std::string can_reboot;
  std::string can_modify_ra2;
  std::string execute_path;
  std::string form_stat;
  std::string dns1;
  std::string dns2;

  // The flag rules: only the exact texts count.
  bool Reboot() const { return can_reboot == kYes; }
  bool ModifyRa2() const { return can_modify_ra2 == kYes; }
  bool StartsProgram() const { return !execute_path.empty() && !form_stat.empty(); }
  bool ProgramShown() const { return form_stat == "1"; }
  bool Unlocks() const { return !unlock_pw.empty(); }

  friend bool operator==(const ClientSettings&, const ClientSettings&) = default;
};

ClientSettings ReadClientSettings(const Profile& profile);

// One InfoList entry: the MAC text key with the IP address and computer name of its value.
struct HostEntry {
  std::string mac;
  std::string ip;
  std::string name;
  bool found = false;  // the key exists in the file

  friend bool operator==(const HostEntry&, const HostEntry&) = default;
};

// Splits an InfoList value: the text before the first "~" is the IP address, the text after
// it the computer name (which may hold "~"). Without "~" the IP is empty and the whole value
// is the name.
HostEntry SplitHostEntry(std::string_view mac, std::string_view value);

// The entry under `mac` (matched without regard to letter case); empty IP and name when
// there is none.
HostEntry LookupHostEntry(const Profile& profile, std::string_view mac);

// "IP~name", the InfoList value of a host.
std::string JoinHostEntry(std::string_view ip, std::string_view name);

}  // namespace lr

#include "package/client_settings.h"

#include "base/format.h"

namespace lr {

ClientSettings ReadClientSettings(const Profile& profile) {
  auto get = [&](const char* key) {
    return profile.Get(kSectionAutoSet, key).value_or(std::string());
  };
  ClientSettings s;
  s.gateway = get(kKeyGateway);
  s.mask = get(kKeyMask);
  s.unlock_pw = get(kKeyUnlockPW);
  s.can_reboot = get(kKeyCanReboot);
  s.can_modify_ra2 = get(kKeyCanModifyRA2);
  s.execute_path = get(kKeyExecutePath);
  s.form_stat = get(kKeyFormStat);
  s.dns1 = get(kKeyDNS1);
  s.dns2 = get(kKeyDNS2);
  return s;
}

HostEntry SplitHostEntry(std::string_view mac, std::string_view value) {
  HostEntry e;
  e.mac.assign(mac);
  const size_t tilde = value.find('~');
  if (tilde == std::string_view::npos) {
    e.name.assign(value);
  } else {
    e.ip.assign(value.substr(0, tilde));
    e.name.assign(value.substr(tilde + 1));
  }
  return e;
}

HostEntry LookupHostEntry(const Profile& profile, std::string_view mac) {
  std::optional<std::string> value = profile.Get(kSectionInfoList, mac);
  HostEntry e = SplitHostEntry(mac, value.value_or(std::string()));
  e.found = value.has_value();
  return e;
}

std::string JoinHostEntry(std::string_view ip, std::string_view name) {
  std::string v(ip);
  v += '~';
  v += name;
  return v;
}

}  // namespace lr

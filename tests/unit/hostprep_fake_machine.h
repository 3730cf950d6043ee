// A machine for tests of the apply sequence: settings bytes and a MAC text of the test's
// choosing, and one log line per call, keystrokes included, so a test sees every step, its
// order and every pause. Registry values live in a map so that failures can be injected; a
// stop of the service can be set to come at a pause or during the address command, and the
// session part can run on the same machine, as the service's child would.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/format.h"
#include "clientprep/apply_sequence.h"
#include "clientprep/client_machine.h"
#include "tests/unit/assign_fake.h"
#include "tests/unit/send_keys_fake.h"

namespace lr::clientprep::testing {

class FakeMachine : public ClientMachine {
 public:
  std::optional<std::string> settings;
  std::string mac = "00-1A-2B-3C-4D-5E";
  std::vector<Adapter> adapters;
  // An adapter that comes up after this many pauses (a card slower than the boot).
  Adapter late_card;
  int pauses = 0, card_after_pauses = 0;
  bool rights = true;
  std::uint64_t seed = 42;
  std::set<std::string> refused;              // value names whose writes or deletion fail,
                                              // key paths that can't be opened, "Myset.ini"
  std::map<std::string, std::string> values;  // "key\\name" -> data
  std::vector<std::string> log;
  FakeKeyboard keyboard_;
  std::string open_key;
  int open_count = 0;
  CommandResult address_result;       // what the address command gives
  std::u16string address_connection;  // its connection name as the system would get it
  std::vector<std::string> run_log;

  std::string system_folder = "C:\\WINDOWS\\system32";
  bool address_in_place = true;     // what every look at the adapter's addresses finds
  bool service = false;             // the boot-time service registered
  bool marked = false;              // its mark that the boot steps are done
  bool session = true;              // a user logs on before the service is told to stop
  int session_part = kDone;         // the session part's exit code
  bool session_part_here = false;   // ... or the session part run on this machine
  std::string session_settings;     // the settings handed to it
  bool shell = true;                // the user's shell comes to the input desktop
  int refused_starts = 0;           // so many program starts fail: not as the user
  bool lock_held = false;           // another start holds the work lock
  std::string lock_trouble;         // why the lock can't be had at all
  int waits = 0, stop_at_wait = 0;  // the service is told to stop in this wait (from 1): a
  bool stopped = false;             // pause, netsh, the wait for a user or the session part

  FakeMachine() {
    keyboard_.log = &log;
    values["SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\hostprep"] =
        "C:\\Windows\\Hostprep.exe";
  }

  std::optional<std::string> ReadSettingsFile() override {
    log.push_back("read settings");
    return settings;
  }
  bool WriteSettingsFile(const std::string& bytes) override {
    log.push_back("write settings");
    if (refused.count("Myset.ini")) return false;
    settings = bytes;
    return true;
  }
  std::string OwnMacText() override {
    log.push_back("mac");
    return mac;
  }
  std::vector<Adapter> Adapters() override { return adapters; }
  bool HasAdminRights() override {
    log.push_back("rights");
    return rights;
  }
  void ApplyComputerName(const std::string& name) override { log.push_back("name " + name); }
  bool OpenKey(const std::string& path) override {
    if (open_count++ != 0) log.push_back("ERROR second key opened");
    log.push_back("open " + path);
    open_key = refused.count(path) ? "" : path;
    return !open_key.empty();
  }
  bool SetString(const std::string& name, const std::string& data) override {
    log.push_back("set " + name + "=" + data);
    return Store(name, data);
  }
  bool SetDword(const std::string& name, std::uint32_t data) override {
    log.push_back(StrFormat("dword %s=%u", name.c_str(), data));
    return Store(name, std::to_string(data));
  }
  bool ValueExists(const std::string& name) override {
    log.push_back("exists " + name);
    return !open_key.empty() && values.count(open_key + "\\" + name) != 0;
  }
  bool DeleteValue(const std::string& name) override {
    log.push_back("delete " + name);
    if (open_key.empty() || refused.count(name)) return false;
    values.erase(open_key + "\\" + name);
    return true;
  }
  void CloseKey() override {
    --open_count;
    log.push_back("close");
    open_key.clear();
  }
  std::uint64_t RandomSeed() override { return seed; }
  bool StartCommand(const std::string& command, bool shown) override {
    log.push_back(std::string(shown ? "shown " : "hidden ") + command);
    if (command.find("shutdown") != std::string::npos || refused_starts == 0) return true;
    --refused_starts;
    return false;
  }
  CommandResult RunCommand(const CommandLine& command, unsigned) override {
    log.push_back("hidden " + command.shown);
    if (command.head.find(" dns ") != std::string::npos) {
      dns_connections.push_back(command.connection);
      const size_t n = dns_connections.size();
      return n <= dns_results.size() ? dns_results[n - 1] : CommandResult{};
    }
    address_connection = command.connection;
    Wait();
    return stopped ? CommandResult{CommandResult::Outcome::kStopped, 0, ""} : address_result;
  }
  bool Pause(unsigned ms) override {
    log.push_back(StrFormat("pause %u", ms));
    if (++pauses == card_after_pauses) adapters.push_back(late_card);
    Wait();
    return !stopped;
  }
  Keyboard& keyboard() override { return keyboard_; }
  void ShowError(const std::string& text) override { log.push_back("error " + text); }
  std::string SystemFolder() override { return system_folder; }
  bool AddressInPlace(const Adapter& adapter, const std::string& ip, const std::string& mask,
                      const std::string& gateway) override {
    log.push_back("address? " + adapter.mac + " " + ip + " " + mask + " " + gateway);
    return address_in_place;
  }
  bool RunValueExists() override {
    return values.count("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\hostprep") != 0;
  }
  bool ServiceRegistered() override { return service; }
  bool BootStepsMarked() override { return service && marked; }
  bool MarkBootSteps() override {
    log.push_back("mark boot steps");
    marked = service && !refused.count("mark");
    return marked;
  }
  bool RemoveService() override {
    log.push_back("remove service");
    if (refused.count("service")) return false;
    service = marked = false;
    return true;
  }
  bool TakeWorkLock(std::string& trouble) override {
    log.push_back("lock");
    trouble = lock_trouble;
    return !lock_held && lock_trouble.empty();
  }
  bool WaitForUserSession() override {
    log.push_back("wait for logon");
    Wait();
    return session && !stopped;
  }
  int RunSessionPart(const std::string& settings) override {
    log.push_back("session part");
    session_settings = settings;
    Wait();
    if (stopped) return kStopped;
    return session_part_here ? lr::clientprep::RunSessionPart(*this) : session_part;
  }
  bool WaitForUserShell() override {
    log.push_back("wait for shell");
    return shell;
  }
  LocalTime Now() override { return {2026, 12, 8, 9, 5, 7}; }
  void AppendRunLog(const std::string& line) override {
    log.push_back("run log");
    run_log.push_back(line);
  }
  FakeAssignNet assign_;
  AssignNet& assign_net() override { return assign_; }
  std::string ComputerName() override { return computer_name; }
  // The 64-bit view's values live in `values` under "64:key\\name"; only writes are logged.
  std::optional<std::string> ReadNativeString(const std::string& key,
                                              const std::string& name) override {
    const auto it = values.find("64:" + key + "\\" + name);
    return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  bool WriteNativeString(const std::string& key, const std::string& name,
                         const std::string& data) override {
    log.push_back("set64 " + name + "=" + data);
    if (refused.count(name)) return false;
    values["64:" + key + "\\" + name] = data;
    return true;
  }
  std::vector<std::string> DnsServers(const Adapter& adapter) override {
    log.push_back("dns? " + adapter.mac);
    return dns_servers;
  }

  std::string computer_name = "MASTER";
  std::vector<CommandResult> dns_results;       // what each DNS command gives, in turn
  std::vector<std::u16string> dns_connections;  // their connection names
  std::vector<std::string> dns_servers;         // what every look at the adapter's DNS finds

 private:
  void Wait() {
    if (++waits == stop_at_wait) stopped = true;
  }
  bool Store(const std::string& name, const std::string& data) {
    if (open_key.empty() || refused.count(name)) return false;
    values[open_key + "\\" + name] = data;
    return true;
  }
};

}  // namespace lr::clientprep::testing

// The client package generation behind "生成并安装": the settings file written key by key,
// the Run value that starts Hostprep at logon, the boot-time service that starts it before
// anyone logs on, and Hostprep.exe written out of Lanroster's own resource.
//
// The checks come first (gateway, mask, the password pair), so a refused click touches
// nothing and the previous package stays whole. Then the package goes on in an order that
// never lets anything start Hostprep beside a partial package, since a settings file without
// MasterMAC would configure the master as a clone:
//   1. the whole settings file, written under a temporary name;
//   2. whatever starts Hostprep here (the Run value, the service) is taken away;
//   3. the settings file put in place in one step, then Hostprep.exe;
//   4. the Run value and the service, last.
// A failure ends the click there with the general error box. Up to step 2 the earlier package
// stays whole; after it nothing starts Hostprep (a registration made in step 4 is taken away
// again) until the new package is whole. The success message comes last.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hostlist/host_list.h"
#include "package/preflight.h"
#include "package/profile.h"

namespace lr {

// What the administrator set in the generator dialog.
struct GeneratorInputs {
  std::string gateway;       // dotted text of edtGateway
  std::string mask;          // dotted text of edtMask
  std::string password1;     // edtPW1
  std::string password2;     // edtPW2
  bool reboot = false;       // chkReboot
  bool modify_ra2 = false;   // chkRA2
  std::string execute_path;  // edtExecutePath
  enum class WindowMode { kNone, kNormal, kHidden } window_mode = WindowMode::kNone;
  // AssignKey's text when unlisted clones may ask, empty when they may not. A sound key of
  // the package in place is kept instead, so clones of an image made before this generation
  // still get their answers.
  std::string assign_key;
  std::string dns1;               // edtDns1, dotted; "" or "0.0.0.0" when not filled
  std::string dns2;               // edtDns2
  bool fast_startup_off = false;  // chkFastStartup
};

// How a program the generator ran and waited for ended: `command` as started (GBK), whether
// it started (else `output` holds the system's reason) and ended, its exit code and output.
struct ProgramRun {
  std::string command;
  bool started = false;
  bool ended = false;
  std::uint32_t exit_code = 0;
  std::string output;
};

enum class MessageKind { kWarning, kInformation };

// The machine the package is installed on.
class PackageTarget {
 public:
  virtual ~PackageTarget() = default;
  // Starts the new settings file, empty, under its temporary name; throws when a leftover
  // of an earlier attempt can't be removed.
  virtual void StartSettingsFile() = 0;
  // Sets one key of the new settings file; throws EIniFileException when refused.
  virtual void WriteSetting(const std::string& section, const std::string& key,
                            const std::string& value) = 0;
  // Puts the new settings file in place of the old in one step; throws when that is
  // refused, and the old file then stays whole.
  virtual void PlaceSettingsFile() = 0;
  // Takes away whatever starts Hostprep on this machine: the Run value goes and an existing
  // service no longer starts at boot. False, with the system's reason, when refused.
  virtual bool WithdrawStarts(std::string& reason) = 0;
  // Writes the Run value; false when the registry refuses.
  virtual bool SetRunValue(const std::string& name, const std::string& command) = 0;
  // Registers the boot-time service (client_service.h), or brings an existing one to that
  // configuration; false, with the system's reason in `reason`, when that is refused.
  virtual bool InstallService(std::string& reason) = 0;
  // Writes Hostprep.exe from the embedded resource; false, with the system's reason, on any
  // failure, which leaves the earlier executable (if any) whole.
  virtual bool SaveHostprep(std::string& reason) = 0;
  virtual void ShowMessage(const std::string& caption, const std::string& text,
                           MessageKind kind) = 0;
  // A failed write, shown by the program's general error handling.
  virtual void ShowError(const std::string& text) = 0;
  // The MAC texts of this machine's own network adapters; none by default.
  virtual std::vector<std::string> OwnMacs() { return {}; }
  // AssignKey of the settings file in place now, as written there; empty when none.
  virtual std::string CurrentAssignKey() { return {}; }
  // Whether an adapter of this machine with a gateway takes its DNS servers from DHCP.
  virtual bool DnsFromDhcp() { return false; }
  // Sets the REG_DWORD `name` of the key `key` of HKEY_LOCAL_MACHINE, the key created when
  // missing; false, with the system's reason, when refused.
  virtual bool SetMachineDword(const std::string& key, const std::string& name, std::uint32_t value,
                               std::string& reason) {
    (void)key, (void)name, (void)value;
    reason = "不支持";
    return false;
  }
  // Runs `program` of the system folder by its full path with `arguments`, hidden, and
  // waits for it.
  virtual ProgramRun RunSystemProgram(const std::string& program, const std::string& arguments) {
    return {program + " " + arguments, false, false, 0, "不支持"};
  }
};

enum class GenerateOutcome {
  kRefused,    // an input was refused; nothing was touched, the dialog stays open
  kFailed,     // a write failed and was reported; see the order above for what stays
  kGenerated,  // the package is complete; the dialog closes
  kBack,       // the administrator went back from the check; nothing was touched
};

// The administrator's answer to the problems the check found.
enum class PreflightChoice {
  kFixThenGenerate,  // apply every fixable change to the rows, then generate
  kAsIs,             // generate from the rows as they stand
  kBack,             // write nothing, back to the options
};
// Asked with the problems and how many fields were converted without asking.
using PreflightReview =
    std::function<PreflightChoice(const std::vector<PreflightProblem>&, size_t converted)>;

inline constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "hostprep";
inline constexpr const char* kHostprepPath = "C:\\Windows\\Hostprep.exe";

// The generation behind the dialog's button: after the input checks, the rows are converted
// (ConvertHostTexts) and checked with the options; when a problem is found, `review`
// chooses, and a fix changes `hosts` itself. The list may change while `review` is open (a
// sweep or the name resolution writes into it): rows that changed are checked again, and
// asked about again when they have problems, so only checked rows are written.
GenerateOutcome GeneratePackage(const GeneratorInputs& in, HostList& hosts, PackageTarget& target,
                                const PreflightReview& review);

// The generation from the rows with nobody to ask about them; the conversions still apply
// to what is written.
GenerateOutcome GeneratePackage(const GeneratorInputs& in, const HostList& hosts,
                                PackageTarget& target);

}  // namespace lr

// The client package generation behind "生成并安装": the settings file written key by key,
// the Run value that starts Hostprep at logon, the boot-time service that starts it before
// anyone logs on, and Hostprep.exe written out of Lanroster's own resource.
//
// The checks come first (gateway, mask, the password pair), so a refused click touches
// nothing and the previous package stays whole. Then the old settings file is removed and
// the package written in its fixed order; a failed delete, settings, registry, service or
// executable write ends the click there with the general error box, keeping what was written
// before. The success message comes after the last key.
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
  // Removes the settings file if it exists; throws when it exists and can't be removed.
  virtual void DeleteSettingsFile() = 0;
  // Sets one key of the settings file; throws EIniFileException when refused.
  virtual void WriteSetting(const std::string& section, const std::string& key,
                            const std::string& value) = 0;
  // Writes the Run value; false when the registry refuses.
  virtual bool SetRunValue(const std::string& name, const std::string& command) = 0;
  // Registers the boot-time service (client_service.h), or brings an existing one to that
  // configuration; false, with the system's reason in `reason`, when that is refused.
  virtual bool InstallService(std::string& reason) = 0;
  // Writes Hostprep.exe from the embedded resource; false on any failure, which leaves the
  // earlier executable (if any) whole.
  virtual bool SaveHostprep() = 0;
  virtual void ShowMessage(const std::string& caption, const std::string& text,
                           MessageKind kind) = 0;
  // A failed write, shown by the program's general error handling.
  virtual void ShowError(const std::string& text) = 0;
  // The MAC texts of this machine's own network adapters; none by default.
  virtual std::vector<std::string> OwnMacs() { return {}; }
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
  kFailed,     // a write failed and was reported; what was written before stays
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

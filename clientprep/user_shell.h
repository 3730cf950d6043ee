// The user's shell as Winlogon names it: the program it starts at a logon (explorer.exe, or a
// café's own shell in its place). The service waits for that program before it lets the
// session part start the user's program and type the keys.
#pragma once

#include <string>
#include <string_view>

namespace lr::clientprep {

// Where Winlogon keeps it (under HKEY_LOCAL_MACHINE), and the shell when it is not set.
inline constexpr const char16_t* kWinlogonKey =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr const char16_t* kWinlogonShellValue = u"Shell";
inline constexpr const char16_t* kDefaultShell = u"explorer.exe";

// The file name of the shell's program in the Shell value (UTF-16, as the registry holds it):
// the first of its comma-separated commands without its folder, quotes and arguments,
// ".exe" added when it has no extension; kDefaultShell when the value names none.
std::u16string ShellProgramName(std::u16string_view shell_value);

}  // namespace lr::clientprep

// The service's way into the user's session: waiting for a user's shell (by the WTS functions
// where they answer, by the shell's process where they don't: an XP with its terminal services
// switched off), starting Hostprep's session part in that session, on winsta0\default, with
// the service's own token moved into it (so its keys reach windows that run elevated), the
// settings handed over on its standard input (an inherited pipe), and waiting for it a bounded
// time. And the session part's side: its wait for the shell on the input desktop, and its
// start of the configured program as the user who logged on, never as the system account.
// wtsapi32.dll and userenv.dll are loaded at run time.
#pragma once

#include <windows.h>

#include <string>

namespace lr::clientprep {

// The command line word that starts the session part.
inline constexpr const wchar_t* kSessionPartSwitch = L"/session";

// How long the service waits for the session part, and the session part for the user's
// shell on the input desktop.
inline constexpr DWORD kSessionPartLimit = 5 * 60 * 1000;
inline constexpr DWORD kShellWait = 2 * 60 * 1000;

// The file name of the user's shell: Winlogon's Shell value, explorer.exe when it is unset.
std::wstring UserShellName();

// Looks every second for `shell` running in the console session, or in another session when
// the console has none (a logon over remote desktop); a console user whose shell doesn't show
// within a minute (a shell of another name) is taken as well. True with `session` set; false
// when `stop` is signalled first.
bool WaitForLoggedOnUser(const std::wstring& shell, HANDLE stop, DWORD& session);

// Starts `program` with kSessionPartSwitch in `session`, writes `input` to its standard input
// and waits up to kSessionPartLimit for it to end: its exit code, kSessionNotStarted when it
// could not be started or did not end in time, kStopped when `stop` came first. A session
// part still running then is ended.
int RunInUserSession(const std::wstring& program, const std::string& input, DWORD session,
                     HANDLE stop);

// Waits up to kShellWait until `shell` runs in this process's session while the input desktop
// is the user's own ("Default": not the logon screen, the secure desktop or the screen saver);
// once that long has passed, the user's desktop alone will do. False when it never came.
bool WaitForShellOnInputDesktop(const std::wstring& shell);

// Starts `command` as the user of this process's session (the WTS token, else the token of
// that session's `shell`), with that user's environment on winsta0\default, so the program
// finds its settings under the user's profile, as one started at the logon does. A program
// that asks for elevation starts with an administrator's linked full token, as an elevated
// program started at the logon would. ERROR_SUCCESS, or the error that kept it from starting
// (nothing runs then).
DWORD StartAsSessionUser(std::wstring& command, STARTUPINFOW& startup, PROCESS_INFORMATION& process,
                         const std::wstring& shell);

}  // namespace lr::clientprep

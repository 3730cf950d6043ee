// The service's way into the user's session: waiting for a logged-on user at the console,
// and starting Hostprep's session part there, on winsta0\default, with the service's own
// token moved into that session (so its keys reach windows that run elevated), the settings
// handed over on its standard input (an inherited pipe); and the session part's way of
// starting the configured program as the user who logged on. wtsapi32.dll and userenv.dll
// are loaded at run time.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lr::clientprep {

// The command line word that starts the session part.
inline constexpr const wchar_t* kSessionPartSwitch = L"/session";

// Looks every two seconds for a user logged on at the console; false when `stop` is
// signalled first, or when the system can't say (no WTSQueryUserToken, or 30 s of refusals
// other than "nobody logged on"): the start from the Run value at the logon then does the
// session steps.
bool WaitForLoggedOnUser(HANDLE stop);

// Starts `program` with kSessionPartSwitch in the console session, writes `input` to its
// standard input and waits for it to end (or for `stop`): its exit code, or nullopt.
std::optional<int> RunInUserSession(const std::wstring& program, const std::string& input,
                                    HANDLE stop);

// Starts `command` as the user logged on to this process's session, on winsta0\default with
// that user's environment, so the program finds its settings under the user's profile and
// keys, as a program started at the logon does. False when there is no such user or the
// start fails; then nothing was started.
bool StartAsSessionUser(std::wstring& command, STARTUPINFOW& startup, PROCESS_INFORMATION& process);

}  // namespace lr::clientprep

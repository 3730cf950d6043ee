// The service's way into the user's session: waiting for a logged-on user at the console,
// and starting Hostprep's session part there, on winsta0\default, with the service's own
// token moved into that session (so its keys reach windows that run elevated), the settings
// handed over on its standard input (an inherited pipe). wtsapi32.dll is loaded at run time.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lr::clientprep {

// The command line word that starts the session part.
inline constexpr const wchar_t* kSessionPartSwitch = L"/session";

// Looks every two seconds for a user logged on at the console; false when `stop` is
// signalled first.
bool WaitForLoggedOnUser(HANDLE stop);

// Starts `program` with kSessionPartSwitch in the console session, writes `input` to its
// standard input and waits for it to end (or for `stop`): its exit code, or nullopt.
std::optional<int> RunInUserSession(const std::wstring& program, const std::string& input,
                                    HANDLE stop);

}  // namespace lr::clientprep

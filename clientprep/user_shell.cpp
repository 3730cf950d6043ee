// The shell's program name from Winlogon's Shell value.
#include "clientprep/user_shell.h"

namespace lr::clientprep {

std::u16string ShellProgramName(std::u16string_view value) {
  std::u16string_view command = value.substr(0, value.find(u','));
  while (!command.empty() && (command.front() == u' ' || command.front() == u'\t'))
    command.remove_prefix(1);
  std::u16string_view path;
  if (!command.empty() && command.front() == u'"') {
    command.remove_prefix(1);
    path = command.substr(0, command.find(u'"'));
  } else {
    path = command.substr(0, command.find_first_of(u" \t"));
  }
  const size_t slash = path.find_last_of(u"\\/");
  if (slash != std::u16string_view::npos) path.remove_prefix(slash + 1);
  if (path.empty()) return kDefaultShell;
  std::u16string name(path);
  if (name.find(u'.') == std::u16string::npos) name += u".exe";
  return name;
}

}  // namespace lr::clientprep

// Asking the shell to open a document or a web page (verb "open", shown normally),
// through a seam so that tests see the request instead of starting a viewer. The result
// is not reported: a missing file or browser shows nothing.
#pragma once

#include <functional>
#include <string>

namespace lr::ui {

void ShellOpen(const std::wstring& target);

using ShellOpenSeam = std::function<void(const std::wstring& target)>;
ShellOpenSeam SetShellOpenSeam(ShellOpenSeam seam);

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableFolder();

}  // namespace lr::ui

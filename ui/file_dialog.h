// The common open and save dialogs, reached through a seam so that tests answer them
// without a person. File names stay UTF-16 from the dialog to the file functions.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

namespace lr::ui {

struct FileDialogRequest {
  enum class Kind { kOpen, kSave };
  Kind kind = Kind::kOpen;
  // GBK, pairs of description and pattern joined by "|": "文本文件(*.txt)|*.txt".
  std::string filter;
  std::string file_name;  // preset file name (GBK), may be empty
  // The extension (without the dot) the save dialog adds to a name typed without one; the
  // dialog follows the chosen filter's pattern instead where it has one. Empty: none.
  std::string default_ext;
  HWND owner = nullptr;
};

struct FileDialogResult {
  bool chosen = false;  // false: cancelled
  std::filesystem::path path;
  int filter_index = 1;  // the filter pair chosen last, from 1
};

// Shows the dialog. The save dialog proposes `default_ext` and asks before a file that exists
// is replaced; the path it returns is the one to write, as it is.
FileDialogResult ShowFileDialog(const FileDialogRequest& request);

using FileDialogSeam = std::function<FileDialogResult(const FileDialogRequest&)>;
// Replaces the seam; returns the previous one. An empty function restores the real dialogs.
FileDialogSeam SetFileDialogSeam(FileDialogSeam seam);

}  // namespace lr::ui

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
  HWND owner = nullptr;
};

struct FileDialogResult {
  bool chosen = false;  // false: cancelled
  std::filesystem::path path;
  int filter_index = 1;  // the filter pair chosen last, from 1
};

// Shows the dialog: no default extension is added, and the save dialog asks nothing when
// the file exists.
FileDialogResult ShowFileDialog(const FileDialogRequest& request);

using FileDialogSeam = std::function<FileDialogResult(const FileDialogRequest&)>;
// Replaces the seam; returns the previous one. An empty function restores the real dialogs.
FileDialogSeam SetFileDialogSeam(FileDialogSeam seam);

}  // namespace lr::ui

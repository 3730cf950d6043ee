#include "ui/file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/modal_scope.h"
#include "ui/text.h"

namespace lr::ui {

namespace {

FileDialogSeam& Seam() {
  static FileDialogSeam seam;
  return seam;
}

// "a|b|c|d" becomes "a\0b\0c\0d\0\0", the form the dialogs take.
std::wstring FilterText(const std::string& gbk) {
  std::wstring filter = Wide(gbk);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

}  // namespace

FileDialogResult ShowFileDialog(const FileDialogRequest& request) {
  ModalScope modal;
  if (Seam()) return Seam()(request);

  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring preset = Wide(request.file_name);
  preset.copy(name.data(), std::min(preset.size(), name.size() - 1));
  const std::wstring filter = FilterText(request.filter);
  const std::wstring default_ext = Wide(request.default_ext);
  const bool save = request.kind == FileDialogRequest::Kind::kSave;

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrDefExt = default_ext.empty() ? nullptr : default_ext.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
              (save ? OFN_OVERWRITEPROMPT : 0);
  const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  FileDialogResult result;
  if (!ok) return result;
  result.chosen = true;
  result.path = std::filesystem::path(std::wstring(name.data()));
  result.filter_index = static_cast<int>(ofn.nFilterIndex);
  return result;
}

FileDialogSeam SetFileDialogSeam(FileDialogSeam seam) {
  FileDialogSeam old = std::move(Seam());
  Seam() = std::move(seam);
  return old;
}

}  // namespace lr::ui

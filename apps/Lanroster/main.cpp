// Lanroster.exe: creates the main window, the record dialog and the generator dialog, in
// that order, shows the main window and runs the message loop until the window closes or
// the menu's exit ends it.
#include <windows.h>
#include <commctrl.h>

#include "hostlist/win32/Add.h"
#include "hostlist/win32/Unit1.h"
#include "package/client_settings.h"
#include "package/win32/Setup.h"
#include "package/win32/client_removal.h"
#include "ui/modal.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  lr::TForm2* form2 = nullptr;
  lr::TForm1Options options;
  options.quit = [] { PostQuitMessage(0); };
  options.show_generator = [&form2] {
    if (form2) form2->ShowModal();
  };
  // The mask of the settings file the generator last wrote (it survives the session).
  options.generator_mask = [] {
    const lr::Profile settings = lr::ReadProfileFile(lr::kSettingsPathRead);
    return settings.Get(lr::kSectionAutoSet, lr::kKeyMask).value_or(std::string());
  };

  options.remove_client = [] {
    lr::WinClientRemovalTarget machine;
    lr::RemoveClientPackage(machine);
  };

  lr::TForm1 form1(std::move(options));
  if (!form1.Create()) return 1;
  lr::TFrmAdd frm_add(form1);
  if (!frm_add.Create(form1.hwnd())) return 1;
  form1.SetRecordDialog(&frm_add);
  lr::TForm2 generator(form1.Hosts());
  if (!generator.Create(form1.hwnd())) return 1;
  generator.SetShowRows(
      [&form1](const std::vector<lr::HostList::Id>& ids) { form1.SelectRecords(ids); });
  form2 = &generator;

  form1.Show();
  const int code = lr::ui::RunMessageLoop(form1.hwnd(), form1.Accelerators());
  form2 = nullptr;
  return code;
}

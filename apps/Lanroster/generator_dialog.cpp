#include "apps/Lanroster/generator_dialog.h"

#include "ui/controls.h"
#include "ui/modal.h"
#include "ui/text.h"

namespace lr {

bool GeneratorDialog::Create(HWND owner_window) {
  owner_window_ = owner_window;
  if (!CreateWindowOf(L"TForm2", WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                      ui::Wide("配置并生成客户端"), 0, 0, 100, 100, owner_window))
    return false;
  ui::SetClientSize(hwnd(), 481, 354);
  ui::CenterOnScreen(hwnd());
  return true;
}

void GeneratorDialog::ShowModal() {
  closed_ = false;
  ui::RunModal(hwnd(), owner_window_, closed_);
}

LRESULT GeneratorDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL) closed_ = true;  // Esc
      return 0;
    case WM_CLOSE:
      closed_ = true;
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr

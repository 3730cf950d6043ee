// The client package generator's dialog as the program creates it at start: an empty,
// fixed-size modal dialog with its caption, which the client-configuration button opens.
// Its contents come with the generator itself.
#pragma once

#include <windows.h>

#include "ui/window.h"

namespace lr {

class GeneratorDialog : public ui::Window {
 public:
  bool Create(HWND owner_window);
  void ShowModal();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HWND owner_window_ = nullptr;
  bool closed_ = true;
};

}  // namespace lr

#include "ui/message_box.h"

#include <windows.h>

#include "ui/modal_scope.h"
#include "ui/text.h"

namespace lr::ui {

namespace {
MessageBoxSeam& Seam() {
  static MessageBoxSeam seam;
  return seam;
}
}  // namespace

int ShowMessage(const std::string& caption, const std::string& text, unsigned type) {
  ModalScope modal;
  if (Seam()) return Seam()(caption, text, type);
  return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), type);
}

MessageBoxSeam SetMessageBoxSeam(MessageBoxSeam seam) {
  MessageBoxSeam old = std::move(Seam());
  Seam() = std::move(seam);
  return old;
}

}  // namespace lr::ui

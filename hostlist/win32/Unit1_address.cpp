#include "hostlist/win32/Unit1_address.h"

#include "hostlist/win32/ip_edit.h"

namespace lr {

struct AddressBox::Impl {
  TIPEdit* edit = nullptr;  // owned by its window
};

AddressBox::AddressBox() : impl_(std::make_unique<Impl>()) {}
AddressBox::~AddressBox() = default;

bool AddressBox::Create(HWND parent, int x, int y, int id, const std::string& ip) {
  impl_->edit = TIPEdit::Create(parent, id, x, y);
  if (!impl_->edit) return false;
  impl_->edit->SetIPString(ip);
  return true;
}

std::string AddressBox::IPString() const {
  return impl_->edit->IPString();
}
void AddressBox::SetIPString(const std::string& ip) {
  impl_->edit->SetIPString(ip);
}
HWND AddressBox::hwnd() const {
  return impl_->edit->Handle();
}
void AddressBox::Focus() {
  SetFocus(impl_->edit->Handle());
}

}  // namespace lr

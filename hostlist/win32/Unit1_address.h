// The address boxes the main window and the record dialog place (edtStart, edtEnd, AddIP):
// a child address control read and written as dotted IPv4 text.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace lr {

class AddressBox {
 public:
  AddressBox();
  ~AddressBox();
  AddressBox(const AddressBox&) = delete;
  AddressBox& operator=(const AddressBox&) = delete;

  // Creates the control (125 x 21) at client position (x, y) of `parent`, holding `ip`.
  bool Create(HWND parent, int x, int y, int id, const std::string& ip);

  std::string IPString() const;
  void SetIPString(const std::string& ip);
  HWND hwnd() const;
  // Gives the keyboard focus to the control (its first field).
  void Focus();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lr

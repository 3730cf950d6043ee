// Plain message boxes without an owner window, GBK caption and text, shown under the
// re-entrancy rule of modal_scope.h.
//
// Every box of the programs goes through a MessageBoxSeam, so that tests can answer boxes
// without a person: a test installs its own seam and sees each caption and text.
#pragma once

#include <functional>
#include <string>

namespace lr::ui {

// `type` is the MB_* flags; returns the IDOK/IDCANCEL/... of the answer.
using MessageBoxSeam =
    std::function<int(const std::string& caption, const std::string& text, unsigned type)>;

int ShowMessage(const std::string& caption, const std::string& text, unsigned type);

// Replaces the seam; returns the previous one. An empty function restores the real boxes.
MessageBoxSeam SetMessageBoxSeam(MessageBoxSeam seam);

}  // namespace lr::ui

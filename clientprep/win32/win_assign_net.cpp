// The clone's assignment seam over the real system.
#include "clientprep/win32/win_assign_net.h"

#include "ui/text.h"

namespace lr::clientprep {

std::optional<std::string> WinAssignNet::Receive(unsigned ms) {
  std::string datagram;
  std::uint32_t from = 0;
  switch (socket_.Receive(ms, stop_, datagram, from)) {
    case AssignSocket::Wait::kDatagram:
      return datagram;
    case AssignSocket::Wait::kStopped:
      stopped_ = true;
      return std::nullopt;
    case AssignSocket::Wait::kTimeout:
      break;
  }
  return std::nullopt;
}

bool WinAssignNet::Stopped() {
  if (stop_ && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) stopped_ = true;
  return stopped_;
}

std::uint64_t WinAssignNet::Ticks() {
  const DWORD now = GetTickCount();
  if (ticks_ == 0 && last_tick_ == 0) last_tick_ = now;
  ticks_ += static_cast<DWORD>(now - last_tick_);  // the difference survives the wrap
  last_tick_ = now;
  return ticks_;
}

std::string WinAssignNet::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? ui::Gbk(std::wstring(name, size)) : std::string();
}

}  // namespace lr::clientprep

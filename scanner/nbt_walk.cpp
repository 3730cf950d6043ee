// The NetBIOS range walk.
#include "scanner/nbt_walk.h"

#include "base/format.h"
#include "scanner/ip_text.h"

namespace lr {

NbtWalk::NbtWalk(const std::uint8_t (&start)[4], const std::uint8_t (&end)[4]) {
  for (int i = 0; i < 4; ++i) {
    cur_[i] = start[i];
    end_[i] = end[i];
  }
}

std::string NbtWalk::Current() const {
  return DottedQuad(cur_[0], cur_[1], cur_[2], cur_[3]);
}

bool NbtWalk::Advance() {
  std::uint8_t& c = cur_[2];
  std::uint8_t& d = cur_[3];
  const std::uint8_t ec = end_[2];
  const std::uint8_t ed = end_[3];
  if (c > ec) return false;
  if (d < ed) {
    ++d;
  } else if (c < ec && d < 255) {
    ++d;
  } else if (c < ec && d == 255) {
    d = 1;
    ++c;
  }
  if (d >= ed && c >= ec) return false;
  if (c == 255) return false;
  return true;
}

std::vector<std::string> NbtQueryTargets(const std::string& start, const std::string& end) {
  std::uint8_t s[4];
  std::uint8_t e[4];
  SplitOctets(start, s);
  SplitOctets(end, e);
  NbtWalk walk(s, e);
  std::vector<std::string> out;
  do {
    out.push_back(walk.Current());
  } while (walk.Advance());
  return out;
}

}  // namespace lr

#include "package/win32/write_faults.h"

namespace lr::write_faults {

namespace {

// Both programs are single-threaded where they write; no lock is needed.
int g_armed = 0;
int g_count = 0;
const char* g_failed = nullptr;

}  // namespace

bool Fail(const char* what) {
  ++g_count;
  if (g_armed != 0 && g_count == g_armed) {
    g_failed = what;
    return true;
  }
  return false;
}

void Arm(int nth) {
  g_armed = nth;
  g_count = 0;
  g_failed = nullptr;
}

int Count() {
  return g_count;
}

const char* Failed() {
  return g_failed;
}

}  // namespace lr::write_faults

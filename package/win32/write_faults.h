// Write points: every file and registry write of both programs' shells counts itself here
// before it touches the system. Tests arm one point to fail and run a whole generation or
// apply sequence, once per point, to see that each failure is reported and leaves a known
// state. Unarmed (the shipped programs) a point only counts.
#pragma once

namespace lr::write_faults {

// Counts one write point (`what` names it, e.g. "file create", "registry set") and returns
// true when this is the armed one: the caller then fails the operation as the system would.
bool Fail(const char* what);

// Restarts the count; the write point numbered `nth` (1-based) fails, 0 fails none.
void Arm(int nth);

// Write points counted since the last Arm.
int Count();

// The name given by the armed point when it failed, or nullptr when none has failed yet.
const char* Failed();

}  // namespace lr::write_faults

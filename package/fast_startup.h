// The master made fit for imaging: Fast Startup and hibernation switched off (a master shut
// down with Fast Startup on leaves its kernel session in hiberfil.sys, and clones resumed
// from it never start their services), and the lines of the success box about imaging: the
// outcome of the switch, the restart before imaging, and what imaging itself breaks.
#pragma once

#include <string>
#include <vector>

#include "package/generator.h"

namespace lr {

inline constexpr const char* kPowerKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";
inline constexpr const char* kHiberbootValue = "HiberbootEnabled";
inline constexpr const char* kPowercfg = "powercfg.exe";
inline constexpr const char* kHibernateOff = "/hibernate off";

// HiberbootEnabled 0, then powercfg /hibernate off: the warning lines of what failed, each
// with its reason; none when both took. These are machine settings the clones inherit.
std::vector<std::string> SwitchOffFastStartup(PackageTarget& target);

// After the package is written: with `in.fast_startup_off` both switched off; returns the
// lines the success box adds (a blank line first).
std::string PrepareForImaging(const GeneratorInputs& in, PackageTarget& target);

}  // namespace lr

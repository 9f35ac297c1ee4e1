// Choosing the driver backend at start.

#include "link/Backends.h"
#include "link/D2xxDriver.h"
#include "link/FtdiDriver.h"
#include "link/SimAnalyser.h"

namespace tavlex {

std::unique_ptr<Driver> MakeDriver(const std::string& name, std::string* error) {
  if (name == "sim") return std::make_unique<SimDriver>();
  if (name == "d2xx") return std::make_unique<D2xxDriver>();
  if (name == "ftdi") return std::make_unique<FtdiDriver>();
  if (name.empty()) {
    // The vendor's library where it is installed, else libftdi1, else nothing to talk to.
    auto d2xx = std::make_unique<D2xxDriver>();
    if (d2xx->Loaded()) return d2xx;
    auto ftdi = std::make_unique<FtdiDriver>();
    if (ftdi->Usable()) return ftdi;
    return std::make_unique<NoDeviceDriver>();
  }
  if (error) *error = "unknown driver '" + name + "' (use sim, d2xx or ftdi)";
  return nullptr;
}

}  // namespace tavlex

// Choosing the driver backend at start.

#include "link/Backends.h"
#include "link/SimAnalyser.h"

namespace tavlex {

std::unique_ptr<Driver> MakeDriver(const std::string& name, std::string* error) {
  if (name == "sim") return std::make_unique<SimDriver>();
  if (name == "d2xx" || name == "ftdi" || name.empty()) return std::make_unique<NoDeviceDriver>();
  if (error) *error = "unknown driver '" + name + "' (use sim, d2xx or ftdi)";
  return nullptr;
}

}  // namespace tavlex

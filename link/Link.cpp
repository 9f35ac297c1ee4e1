#include "link/Backends.h"

namespace tavlex {

std::unique_ptr<Driver> MakeDriver(const std::string& name, std::string* error) {
  if (name == "sim" || name == "d2xx" || name == "ftdi" || name.empty())
    return std::make_unique<NoDeviceDriver>();
  if (error) *error = "unknown driver '" + name + "' (use sim, d2xx or ftdi)";
  return nullptr;
}

}  // namespace tavlex

// Reading text values of the system registry.
//
// This platform has no registry: the process's registry reads nothing,
// unless a test installs one with values (base/fake_registry.h). A read
// behaves as a Windows open, query and close of one value into a buffer of
// `bufferSize` bytes: a missing key or value, a value that is not text, and
// a value that with its terminating zero does not fit the buffer all fail.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::base {

enum class RegistryHive { LocalMachine, CurrentUser };

class Registry {
 public:
  virtual ~Registry() = default;
  // The text of value `name` of key `keyPath` ("\"-separated, matched
  // case-blind) under `hive`; nullopt when the read fails.
  virtual std::optional<std::string> readString(RegistryHive hive, std::string_view keyPath,
                                                std::string_view name,
                                                std::size_t bufferSize) const = 0;
};

// The process's registry: an empty one unless a test set another.
const Registry& registry();
// nullptr returns to the empty registry; the caller keeps `replacement` alive.
void setRegistry(const Registry* replacement);

}  // namespace platform::base

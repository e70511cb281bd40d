// A registry for tests: text values set by the test, read under the rules
// of base/registry.h.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "base/registry.h"

namespace platform::base {

class FakeRegistry final : public Registry {
 public:
  void set(RegistryHive hive, std::string keyPath, std::string name, std::string value);

  std::optional<std::string> readString(RegistryHive hive, std::string_view keyPath,
                                        std::string_view name,
                                        std::size_t bufferSize) const override;

 private:
  // Keyed by hive, lower-cased key path and lower-cased value name.
  std::map<std::tuple<RegistryHive, std::string, std::string>, std::string> values_;
};

}  // namespace platform::base

// The empty system registry and the test registry.
#include "base/registry.h"

#include "base/fake_registry.h"

namespace platform::base {

namespace {

class EmptyRegistry final : public Registry {
 public:
  std::optional<std::string> readString(RegistryHive, std::string_view, std::string_view,
                                        std::size_t) const override {
    return std::nullopt;
  }
};

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (auto& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

const EmptyRegistry emptyRegistry;
const Registry* installed = nullptr;

}  // namespace

const Registry& registry() { return installed ? *installed : emptyRegistry; }

void setRegistry(const Registry* replacement) { installed = replacement; }

void FakeRegistry::set(RegistryHive hive, std::string keyPath, std::string name,
                       std::string value) {
  values_[{hive, lowerAscii(keyPath), lowerAscii(name)}] = std::move(value);
}

std::optional<std::string> FakeRegistry::readString(RegistryHive hive, std::string_view keyPath,
                                                    std::string_view name,
                                                    std::size_t bufferSize) const {
  auto it = values_.find({hive, lowerAscii(keyPath), lowerAscii(name)});
  if (it == values_.end()) return std::nullopt;
  if (it->second.size() + 1 > bufferSize) return std::nullopt;
  return it->second;
}

}  // namespace platform::base

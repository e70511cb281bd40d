// The four octet fields of an address field.
#include "netsetup/address_field.h"

#include <algorithm>

namespace netsetup {

namespace {

// The decimal value of a part, capped at 255; nothing for a part that is
// empty or holds anything but digits.
std::optional<std::uint8_t> partValue(std::string_view part) {
  if (part.empty()) return std::nullopt;
  unsigned value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return std::nullopt;
    if (value <= 255) value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return static_cast<std::uint8_t>(std::min(value, 255u));
}

}  // namespace

void AddressField::set(const Octets& octets) {
  for (std::size_t i = 0; i < octets.size(); ++i) fields_[i] = octets[i];
}

void AddressField::setText(std::string_view dotted) {
  clear();
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    auto dot = dotted.find('.');
    fields_[i] = partValue(dotted.substr(0, dot));
    if (dot == std::string_view::npos) break;
    dotted.remove_prefix(dot + 1);
  }
}

Octets AddressField::octets() const {
  Octets octets{};
  for (std::size_t i = 0; i < fields_.size(); ++i) octets[i] = fields_[i].value_or(0);
  return octets;
}

bool AddressField::blank() const {
  return std::none_of(fields_.begin(), fields_.end(), [](const auto& f) { return f.has_value(); });
}

}  // namespace netsetup

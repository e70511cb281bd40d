// Address field texts: parsing with the field's range, and rendering.
#include "common/address_text.h"

#include <algorithm>

namespace platform::ui {

namespace {

std::optional<unsigned> decimal(std::string_view part) {
  if (part.empty() || part.size() > 9) return std::nullopt;
  unsigned value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

}  // namespace

AddressFields addressFields(std::string_view dotted) {
  AddressFields fields{};
  for (auto& field : fields) {
    auto dot = dotted.find('.');
    auto part = dotted.substr(0, dot);
    if (auto value = decimal(part)) field = static_cast<std::uint8_t>(std::min(*value, 255u));
    if (dot == std::string_view::npos) break;
    dotted.remove_prefix(dot + 1);
  }
  return fields;
}

std::string addressText(const AddressFields& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(fields[i].value_or(0));
  }
  return text;
}

bool typedOctet(std::string_view text, std::optional<std::uint8_t>& octet) {
  if (text.empty()) {
    octet.reset();
    return true;
  }
  if (text.size() > 3) return false;
  auto value = decimal(text);
  if (!value || *value > 255) return false;
  octet = static_cast<std::uint8_t>(*value);
  return true;
}

}  // namespace platform::ui

// The value of an IPv4 address field: four octet fields, each blank or
// 0-255.
//
// Reading gives four octets with a blank one read as 0; the text is the
// dotted-decimal rendering of what reading gives. Setting from dotted text
// fills each field from its decimal part (a part above 255 becomes 255, as
// the control enforces the range; a missing or non-numeric part leaves the
// field blank), so "192.168.001.020" shows as 192.168.1.20.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "netsetup/setup_commands.h"

namespace netsetup {

class AddressField {
 public:
  void set(const Octets& octets);
  void setText(std::string_view dotted);
  void clear() { fields_ = {}; }
  // Sets one octet field; nothing leaves it blank.
  void setField(std::size_t index, std::optional<std::uint8_t> value) { fields_.at(index) = value; }

  Octets octets() const;
  std::string text() const { return dotted(octets()); }
  bool blank() const;

 private:
  std::array<std::optional<std::uint8_t>, 4> fields_{};
};

}  // namespace netsetup

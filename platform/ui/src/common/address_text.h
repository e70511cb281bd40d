// The text rules of an address field (ui/dialog_template.h), shared by the
// hosts: four octet fields from dotted text, and the dotted rendering.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::ui {

using AddressFields = std::array<std::optional<std::uint8_t>, 4>;

// Fills the fields from dotted text: a part above 255 becomes 255; a
// missing, empty or non-numeric part leaves its field blank.
AddressFields addressFields(std::string_view dotted);
// The dotted rendering, a blank field read as 0.
std::string addressText(const AddressFields& fields);
// One octet as the user types it into `octet`: blank for an empty text;
// false, and `octet` untouched, for a text that is no octet (not 0-255 in
// decimal digits).
bool typedOctet(std::string_view text, std::optional<std::uint8_t>& octet);

}  // namespace platform::ui

// Fuzz target: the UTF-16 INI reader and writer under the invariants of
// ini_invariants.h. Each field's bytes become code units: the byte FF and
// the two bytes after it (little-endian) are one unit, so that every unit,
// surrogates included, can be reached; any other byte is the unit of the
// same number, so that the seeds stay readable.
#include <cstdint>
#include <string>
#include <string_view>

#include "ini_invariants.h"

namespace {

std::u16string units(std::string_view bytes) {
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == 0xFF && i + 2 < bytes.size()) {
      auto low = static_cast<unsigned char>(bytes[i + 1]);
      auto high = static_cast<unsigned char>(bytes[i + 2]);
      text += static_cast<char16_t>(low | (high << 8));
      i += 2;
    } else {
      text += static_cast<char16_t>(byte);
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto fields =
      ini_fuzz::splitFields(std::string_view(reinterpret_cast<const char*>(data), size));
  std::u16string text = units(fields.text), section = units(fields.section),
                 key = units(fields.key), value = units(fields.value),
                 probeSection = units(fields.probeSection), probeKey = units(fields.probeKey);
  ini_fuzz::checkInvariants<char16_t>(text, section, key, value, probeSection, probeKey);
  return 0;
}

// Fuzz target: the 8-bit INI reader and writer (code page 936 names) under
// the invariants of ini_invariants.h.
#include <cstdint>
#include <string_view>

#include "ini_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto fields =
      ini_fuzz::splitFields(std::string_view(reinterpret_cast<const char*>(data), size));
  ini_fuzz::checkInvariants(fields.text, fields.section, fields.key, fields.value,
                            fields.probeSection, fields.probeKey);
  return 0;
}

// The job information texts.
#include "monitor/ui/job_info.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace monitor {

std::string resolutionText(int xResolution, int yResolution) {
  // The driver's value is not trusted: the product wraps as the 32-bit
  // arithmetic of the driver's own format does instead of overflowing.
  auto x = static_cast<std::int32_t>((static_cast<std::uint32_t>(xResolution) + 1u) * 600u);
  char text[64];
  std::snprintf(text, sizeof text, "%dx%d dpi", static_cast<int>(x), yResolution);
  return text;
}

std::string paperSourceText(int source) {
  switch (source) {
    case 0: return "自动";
    case 1: return "纸仓";
    case 2: return "手动进纸";
    default: return "";
  }
}

std::string paperTypeText(int type) {
  switch (type) {
    case 0: return "普通纸";
    case 1: return "Thick-Wide";
    case 2: return "Thick-Narrow";
    default: return "";
  }
}

std::string paperSizeText(int size) {
  static constexpr std::array<const char*, 22> kNames{
      "A4",      "A3",     "A5",     "B4",     "B5",     "LETTER", "Half LETTER", "LEGAL",
      "GLT",     "GLG",    "B",      "EXE",    "F4",     "C16K",   "ENV_MON",     "ENV_10",
      "ENV_DL",  "ENV_C5", "ENV_C6", "IB5",    "A3F",    "A3W"};
  if (size < 0 || size >= static_cast<int>(kNames.size())) return "自定义纸张尺寸";
  return kNames[static_cast<std::size_t>(size)];
}

}  // namespace monitor

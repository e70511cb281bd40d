// Reply codes of the item queries and what each one stores.
#include "monitor/core/device_mapping.h"

#include <array>
#include <cstdlib>

namespace monitor {

namespace {

// The character at `i`, or 0 past the end, as in the entry's zeroed buffer.
int charAt(std::string_view text, std::size_t i) {
  return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
}

bool beginsWith(std::string_view text, char upper) {
  return !text.empty() && (text[0] == upper || text[0] == upper + ('a' - 'A'));
}

// "sign digit . digit" in tenths; the digits are not checked.
std::int16_t offsetTenths(std::string_view value) {
  int offset = (charAt(value, 1) - '0') * 10 + (charAt(value, 3) - '0');
  return static_cast<std::int16_t>(charAt(value, 0) == '-' ? -offset : offset);
}

const char* sleepIndex(std::int16_t minutes) {
  switch (minutes) {
    case 0: return "0";
    case 15: return "2";
    case 30: return "3";
    case 60: return "4";
    case 120: return "5";
    case 180: return "6";
    case 240: return "7";
    default: return "1";
  }
}

// Codes whose value goes to "DRVGET" as it stands.
struct PlainItem {
  std::int32_t code;
  std::string_view key;
};
constexpr std::array<PlainItem, 16> kPlainItems{{
    {205, "InstalledMemory"}, {206, "AvailableMemory"}, {300, "TonerRemain"},
    {301, "TonerPartNumber"}, {400, "TotalPages"}, {401, "JamCounts"},
    {402, "GenuineTonerCount"}, {403, "NonGenuineTonerCount"}, {404, "GenuineToner"},
    {500, "OPCRemain"}, {501, "OPCPartNumber"}, {602, "HostName"}, {700, "UsbID"},
    {702, "ModelID"}, {703, "ConFWDate"}, {704, "EngFWVer"},
}};

}  // namespace

std::string_view valueText(std::string_view text) {
  auto eq = text.rfind('=');
  return eq == std::string_view::npos ? text : text.substr(eq + 1);
}

std::int32_t ValueAfterEquals(std::string_view text) {
  auto eq = text.rfind('=');
  if (eq == std::string_view::npos) return 0;
  return static_cast<std::int32_t>(std::atoi(std::string(text.substr(eq + 1)).c_str()));
}

bool mapItemEntry(const StatusEntry& entry, DeviceFields& fields, std::vector<ProfileWrite>& writes) {
  auto v = valueText(entry.secondText);
  auto get = [&](std::string_view key, std::string_view value) {
    writes.push_back({"DRVGET", key, std::string(value)});
  };
  auto set = [&](std::string_view key, std::string value) {
    writes.push_back({"DRVSET", key, std::move(value)});
  };
  switch (entry.code) {
    case 200:
      fields.sleepMinutes =
          beginsWith(v, 'O') ? std::int16_t{0} : static_cast<std::int16_t>(ValueAfterEquals(entry.secondText));
      get("SleepMode", v);
      set("SleepMode", sleepIndex(fields.sleepMinutes));
      return true;
    case 201:
      if (beginsWith(v, 'A')) fields.cassettePaper = 0;
      if (beginsWith(v, 'L')) fields.cassettePaper = 1;
      get("CassettePaper", v);
      set("CassettePaper", fields.cassettePaper == 1 ? "1" : "0");
      return true;
    case 202:
      if (beginsWith(v, 'S')) fields.tonerOutMode = 1;
      if (beginsWith(v, 'C')) fields.tonerOutMode = 0;
      get("TonerOutError", v);
      set("TonerOutError", fields.tonerOutMode == 1 ? "1" : "0");
      return true;
    case 203:
      fields.feedOffset = offsetTenths(v);
      get("FeedOffset", v);
      set("FeedOffset", std::to_string(fields.feedOffset));
      return true;
    case 204:
      fields.scanOffset = offsetTenths(v);
      get("ScanOffset", v);
      set("ScanOffset", std::to_string(fields.scanOffset));
      return true;
    case 600:
      fields.paperSource = beginsWith(v, 'C') ? 1 : beginsWith(v, 'M') ? 2 : 0;
      get("RunPaperSource", v);
      return true;
    case 601:
      fields.paperSize = beginsWith(v, 'L') ? 5 : 0;
      get("RunPaperSize", v);
      return true;
    case 701:
      get("CommMode", beginsWith(v, 'H') ? "1" : "0");
      return true;
    default: break;
  }
  for (const auto& item : kPlainItems) {
    if (item.code != entry.code) continue;
    if (item.code == 300) fields.tonerRemaining = ValueAfterEquals(entry.secondText);
    if (item.code == 500) fields.drumRemaining = ValueAfterEquals(entry.secondText);
    get(item.key, v);
    return true;
  }
  return false;
}

}  // namespace monitor

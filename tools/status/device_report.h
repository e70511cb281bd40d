// What qz3317vt-status tells about the printer after one device refresh:
// the outcome, the status the printer reported, and the keys the refresh
// left in sections "DRVGET" and "DRVSET" of the exchange file, which is
// what the driver reads too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace status_tool {

enum class Outcome {
  Refreshed,     // every query answered
  NoPrinter,     // no QZ3317VT on the bus
  NoAnswer,      // found, but a query failed (see the line on stderr)
  ParallelPort,  // the driver's port setting is a parallel port: no USB
  Busy,          // another monitor holds the single-instance lock
};

struct PrinterStatus {
  std::int32_t code = 0;
  std::string name;  // the text after the last "=" of the entry
};

// Keys and values in the order the refresh writes them, values in UTF-8.
using KeyValues = std::vector<std::pair<std::string, std::string>>;

struct DeviceReport {
  Outcome outcome = Outcome::NoPrinter;
  std::string portSetting;              // "zPort" of "DRVSPA"
  std::optional<PrinterStatus> status;  // from the reply to "Status?"
  std::int32_t tonerRemaining = 0;      // percent, as reported
  std::int32_t drumRemaining = 0;
  KeyValues drvget;  // only after a refresh
  KeyValues drvset;
};

// "[########------------]": `width` cells, the filled share of `percent`
// (clamped to 0..100), rounded to the nearest cell.
std::string levelBar(std::int32_t percent, int width = 20);

// Lines for a person: the outcome, then status, levels, counters, firmware
// and settings.
std::string formatForPerson(const DeviceReport& report);

// One JSON object for scripts (see the README's qz3317vt-status section).
std::string formatAsJson(const DeviceReport& report);

}  // namespace status_tool

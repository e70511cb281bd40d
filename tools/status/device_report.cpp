// Formatting a device report for a person and for scripts.
#include "tools/status/device_report.h"

#include <algorithm>
#include <charconv>

#include <nlohmann/json.hpp>

namespace status_tool {

namespace {

std::string valueOf(const KeyValues& values, std::string_view key) {
  auto found = std::find_if(values.begin(), values.end(),
                            [&](const auto& entry) { return entry.first == key; });
  return found == values.end() ? std::string() : found->second;
}

std::optional<std::int64_t> counter(const std::string& text) {
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view outcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Refreshed: return "refreshed";
    case Outcome::NoPrinter: return "no printer";
    case Outcome::NoAnswer: return "no answer";
    case Outcome::ParallelPort: return "parallel port";
    case Outcome::Busy: return "busy";
  }
  return {};
}

std::string outcomeLine(const DeviceReport& report) {
  switch (report.outcome) {
    case Outcome::Refreshed: return "found";
    case Outcome::NoPrinter: return "not found";
    case Outcome::NoAnswer: return "found, but it did not answer every query";
    case Outcome::ParallelPort:
      return "not asked: the driver's port setting zPort = " + report.portSetting +
             " is a parallel port";
    case Outcome::Busy: return "not asked: another monitor is running (lock QZ3317VT_PSM.EXE)";
  }
  return {};
}

class Lines {
 public:
  void add(std::string_view label, const std::string& value) {
    text_ += std::string(label);
    text_ += std::string(kLabelWidth > label.size() ? kLabelWidth - label.size() : 1, ' ');
    text_ += value;
    text_ += '\n';
  }
  std::string text() const { return text_; }

 private:
  static constexpr std::size_t kLabelWidth = 17;
  std::string text_;
};

std::string level(std::int32_t percent, const std::string& partNumber) {
  std::string text = levelBar(percent) + " " + std::to_string(percent) + " %";
  if (!partNumber.empty()) text += "   part " + partNumber;
  return text;
}

void addDeviceLines(const DeviceReport& r, Lines& lines) {
  auto get = [&r](std::string_view key) { return valueOf(r.drvget, key); };
  lines.add("toner", level(r.tonerRemaining, get("TonerPartNumber")));
  lines.add("drum", level(r.drumRemaining, get("OPCPartNumber")));
  lines.add("pages printed", get("TotalPages"));
  lines.add("paper jams", get("JamCounts"));
  lines.add("toner cartridges", get("GenuineTonerCount") + " genuine, " +
                                    get("NonGenuineTonerCount") + " other; genuine toner: " +
                                    get("GenuineToner"));
  lines.add("firmware", get("FWVersion") + ", OPL " + get("OPLVersion") + ", engine " +
                            get("EngFWVer") + ", controller date " + get("ConFWDate"));
  lines.add("model", get("ModelID") + ", USB id " + get("UsbID") + ", CommMode " +
                         get("CommMode"));
  lines.add("host name", get("HostName"));
  lines.add("memory", get("InstalledMemory") + " installed, " + get("AvailableMemory") +
                          " available");
  lines.add("paper", "source " + get("RunPaperSource") + ", size " + get("RunPaperSize"));
  auto setting = [&r, &get](std::string_view key) {
    return get(key) + " (DRVSET " + valueOf(r.drvset, key) + ")";
  };
  lines.add("sleep mode", setting("SleepMode"));
  lines.add("cassette paper", setting("CassettePaper"));
  lines.add("toner out", setting("TonerOutError"));
  lines.add("feed offset", setting("FeedOffset"));
  lines.add("scan offset", setting("ScanOffset"));
}

nlohmann::ordered_json counterJson(const KeyValues& values, std::string_view key) {
  auto number = counter(valueOf(values, key));
  return number ? nlohmann::ordered_json(*number) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json keysJson(const KeyValues& values) {
  auto object = nlohmann::ordered_json::object();
  for (const auto& [key, value] : values) object[key] = value;
  return object;
}

}  // namespace

std::string levelBar(std::int32_t percent, int width) {
  auto clamped = std::clamp(percent, 0, 100);
  int filled = (clamped * width + 50) / 100;
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(width - filled), '-') + "]";
}

std::string formatForPerson(const DeviceReport& report) {
  Lines lines;
  lines.add("printer", outcomeLine(report));
  if (report.status) {
    lines.add("status", report.status->name + " (code " + std::to_string(report.status->code) + ")");
  }
  if (report.outcome == Outcome::Refreshed) addDeviceLines(report, lines);
  return lines.text();
}

std::string formatAsJson(const DeviceReport& report) {
  nlohmann::ordered_json json;
  json["outcome"] = outcomeName(report.outcome);
  json["found"] = report.outcome == Outcome::Refreshed || report.outcome == Outcome::NoAnswer;
  json["status"] = report.status
                       ? nlohmann::ordered_json{{"code", report.status->code}, {"name", report.status->name}}
                       : nlohmann::ordered_json(nullptr);
  if (report.outcome == Outcome::Refreshed) {
    json["toner"] = {{"remaining", report.tonerRemaining},
                     {"partNumber", valueOf(report.drvget, "TonerPartNumber")}};
    json["drum"] = {{"remaining", report.drumRemaining},
                    {"partNumber", valueOf(report.drvget, "OPCPartNumber")}};
    json["counters"] = {{"totalPages", counterJson(report.drvget, "TotalPages")},
                        {"jams", counterJson(report.drvget, "JamCounts")},
                        {"genuineToner", counterJson(report.drvget, "GenuineTonerCount")},
                        {"nonGenuineToner", counterJson(report.drvget, "NonGenuineTonerCount")}};
    json["DRVGET"] = keysJson(report.drvget);
    json["DRVSET"] = keysJson(report.drvset);
  }
  // Values the printer sent that are not UTF-8 after conversion are
  // replaced rather than ending the output.
  return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace status_tool

// Reading the scenario file of the simulated printer.
#include "tools/printer/scenario.h"

#include <algorithm>
#include <charconv>

#include "usb/sim_protocol.h"

namespace printer {

namespace {

// The ranges the printer can serve. A status code is sent as five digits; a
// read takes at most 512 bytes and a line holds at least one, so more lines
// are never seen; the monitor reads at most one further chunk for each of
// the 30 entries of a reply; a delay beyond a day is no test. All devices'
// paths of one class travel in one list reply, a bus packet, and share half
// of it with their hardware ids.
constexpr long long kMaxCode = 99999;
constexpr long long kMaxLines = 512;
constexpr long long kMaxChunks = 30;
// The setup tool reads at most 51 replies for one query.
constexpr long long kMaxRepliesBefore = 60;
constexpr long long kMaxDelayMs = 24LL * 60 * 60 * 1000;
constexpr long long kMaxDevices = 64;
constexpr long long kMaxPathLength =
    static_cast<long long>(platform::usb::sim::kMaxPacket) / (2 * kMaxDevices);
constexpr long long kMaxShortWrite = static_cast<long long>(platform::usb::sim::kMaxWritePayload);

constexpr std::string_view kDefaultIds[] = {"USB\\VID_7A3C&PID_5B21&REV_0100",
                                            "USB\\VID_7A3C&PID_5B21"};

std::string_view trim(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The value as a whole number from `low` to `high`. A number outside that
// range, however large, is refused with the range in `reason`; text that is
// no number is refused as it stands.
std::optional<long long> numberIn(std::string_view value, long long low, long long high,
                                  std::string& reason) {
  long long number = 0;
  const char* last = value.data() + value.size();
  auto [end, ec] = std::from_chars(value.data(), last, number);
  if (end != last || end == value.data()) return std::nullopt;
  if (ec == std::errc() && number >= low && number <= high) return number;
  if (ec != std::errc() && ec != std::errc::result_out_of_range) return std::nullopt;
  reason = "from " + std::to_string(low) + " to " + std::to_string(high);
  return std::nullopt;
}

std::vector<std::string> splitList(std::string_view text, char separator) {
  std::vector<std::string> items;
  while (!text.empty()) {
    auto cut = text.find(separator);
    auto item = trim(text.substr(0, cut));
    if (!item.empty()) items.emplace_back(item);
    if (cut == std::string_view::npos) break;
    text.remove_prefix(cut + 1);
  }
  return items;
}

DeviceSpec defaultDevice(int number) {
  DeviceSpec device;
  device.number = number;
  device.hardwareIds.assign(std::begin(kDefaultIds), std::end(kDefaultIds));
  device.classes = {7, 6};
  device.pathBase = "sim:" + std::to_string(number);
  return device;
}

DeviceSpec& deviceNumbered(Scenario& scenario, int number) {
  auto it = std::find_if(scenario.devices.begin(), scenario.devices.end(),
                         [number](const DeviceSpec& d) { return d.number == number; });
  if (it != scenario.devices.end()) return *it;
  scenario.devices.push_back(defaultDevice(number));
  std::sort(scenario.devices.begin(), scenario.devices.end(),
            [](const DeviceSpec& a, const DeviceSpec& b) { return a.number < b.number; });
  return deviceNumbered(scenario, number);
}

bool applyFaults(WordBehaviour& behaviour, std::string_view value) {
  for (const auto& fault : splitList(value, ',')) {
    if (fault == "noreply") behaviour.noReply = true;
    else if (fault == "unplug-during-read") behaviour.unplugDuringRead = true;
    else if (fault == "zero-byte") behaviour.zeroByte = true;
    else if (fault == "long-reply") behaviour.longReply = true;
    else if (fault == "pad-260") behaviour.pad260 = true;
    else if (fault == "close-after-reply") behaviour.closeAfterReply = true;
    else return false;
  }
  return true;
}

// Applies a "<kind>.<word>" key; false for an unknown kind or a bad value.
bool applyWordKey(Scenario& scenario, std::string_view kind, std::string word,
                  std::string_view value, std::string& reason) {
  WordBehaviour& behaviour = scenario.words[word];
  if (kind == "fault") return applyFaults(behaviour, value);
  if (kind == "reply") {
    behaviour.reply = unescape(value);
    return true;
  }
  if (kind == "delay") {
    auto ms = numberIn(value, 0, kMaxDelayMs, reason);
    if (ms) behaviour.delay = std::chrono::milliseconds(*ms);
    return ms.has_value();
  }
  if (kind == "error") {
    auto code = numberIn(value, 0, kMaxCode, reason);
    if (code) behaviour.errorCode = static_cast<int>(*code);
    return code.has_value();
  }
  if (kind == "lines") {
    auto count = numberIn(value, 0, kMaxLines, reason);
    if (count) behaviour.lines = static_cast<int>(*count);
    return count.has_value();
  }
  if (kind == "chunks") {
    auto count = numberIn(value, 0, kMaxChunks, reason);
    if (count) behaviour.chunks = static_cast<std::size_t>(*count);
    return count.has_value();
  }
  if (kind == "before") {
    auto count = numberIn(value, 0, kMaxRepliesBefore, reason);
    if (count) behaviour.repliesBefore = static_cast<int>(*count);
    return count.has_value();
  }
  return false;
}

bool applyDeviceKey(DeviceSpec& device, std::string_view key, std::string_view value,
                    std::string& reason) {
  if (key.starts_with("value.")) {
    device.values[std::string(key.substr(6))] = std::string(value);
    return true;
  }
  if (key == "hwid") {
    device.hardwareIds = splitList(value, ',');
    return true;
  }
  if (key == "path") {
    device.pathBase = std::string(value);
    return true;
  }
  if (key == "classes") {
    device.classes.clear();
    for (const auto& item : splitList(value, ' ')) {
      auto cls = numberIn(item, 0, 255, reason);
      if (!cls) return false;
      device.classes.push_back(static_cast<std::uint8_t>(*cls));
    }
    return true;
  }
  if (key == "path-length") {
    auto length = numberIn(value, 0, kMaxPathLength, reason);
    if (length) device.pathLength = static_cast<std::size_t>(*length);
    return length.has_value();
  }
  if (key == "unplugged") {
    auto flag = numberIn(value, 0, 1, reason);
    if (flag) device.unplugged = *flag != 0;
    return flag.has_value();
  }
  return false;
}

// Applies one key; false for an unknown key or a bad value, with a reason
// in `reason` where the line alone does not say it.
bool applyKey(Scenario& scenario, std::string_view key, std::string_view value,
              std::string& reason) {
  if (key.starts_with("value.")) {
    scenario.values[std::string(key.substr(6))] = std::string(value);
    return true;
  }
  if (key.starts_with("device.")) {
    auto rest = key.substr(7);
    auto dot = rest.find('.');
    if (dot == std::string_view::npos) return false;
    auto number = numberIn(rest.substr(0, dot), 1, kMaxDevices, reason);
    if (!number) return false;
    return applyDeviceKey(deviceNumbered(scenario, static_cast<int>(*number)),
                          rest.substr(dot + 1), value, reason);
  }
  if (auto dot = key.find('.'); dot != std::string_view::npos) {
    return applyWordKey(scenario, key.substr(0, dot), std::string(key.substr(dot + 1)), value,
                        reason);
  }
  if (key == "status-name") {
    scenario.statusName = std::string(value);
    return true;
  }
  if (key == "extra-chunk") {
    scenario.extraChunk = unescape(value);
    return true;
  }
  if (key == "tcp") {
    scenario.tcp = parseTcpEndpoint(value, reason);
    return scenario.tcp.has_value();
  }
  if (key == "status") {
    auto code = numberIn(value, 0, kMaxCode, reason);
    if (code) scenario.status = static_cast<int>(*code);
    return code.has_value();
  }
  if (key == "short-write") {
    auto size = numberIn(value, 0, kMaxShortWrite, reason);
    if (size) scenario.shortWrite = static_cast<std::size_t>(*size);
    return size.has_value();
  }
  if (key == "unplugged") {
    auto flag = numberIn(value, 0, 1, reason);
    if (flag) scenario.unplugged = *flag != 0;
    return flag.has_value();
  }
  return false;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

const WordBehaviour& Scenario::behaviour(const std::string& word) const {
  static const WordBehaviour kNormal;
  auto it = words.find(word);
  return it == words.end() ? kNormal : it->second;
}

std::string interfacePath(const DeviceSpec& device, std::uint8_t cls) {
  std::string tail = std::to_string(cls);
  std::string path = device.pathBase;
  std::size_t natural = path.size() + 1 + tail.size();
  if (natural < device.pathLength) path.append(device.pathLength - natural, 'x');
  path += ':';
  path += tail;
  return path;
}

std::string unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    if (c == 'r') out += '\r';
    else if (c == 'n') out += '\n';
    else if (c == 't') out += '\t';
    else if (c == '0') out += '\0';
    else if (c == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
             hexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

Scenario defaultScenario() {
  Scenario scenario;
  scenario.devices.push_back(defaultDevice(1));
  return scenario;
}

std::optional<Scenario> parseScenario(std::string_view text, std::string& error) {
  Scenario scenario = defaultScenario();
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    auto end = text.find('\n');
    auto line = trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#') continue;
    auto equals = line.find('=');
    // The key ends at the first " = " or, without blanks, at the first "=".
    auto spaced = line.find(" = ");
    if (spaced != std::string_view::npos) equals = spaced + 1;
    std::string reason;
    if (equals == std::string_view::npos ||
        !applyKey(scenario, trim(line.substr(0, equals)), trim(line.substr(equals + 1)), reason)) {
      error = "scenario line " + std::to_string(lineNumber) + ": " + std::string(line);
      if (!reason.empty()) error += " (" + reason + ")";
      return std::nullopt;
    }
  }
  return scenario;
}

}  // namespace printer

// The device information refresh: queries whose reply codes fill sections
// "DRVGET" and "DRVSET" of the exchange file and the device fields.
#include <array>
#include <cstdlib>

#include "monitor/core/ppl_w3.h"
#include "monitor/core/request_words.h"
#include "platform/profile.h"

namespace monitor {

namespace {

// The text after the last "="; the whole text when it holds none, so that a
// printer reporting a bare value still has it stored.
std::string_view valueText(std::string_view text) {
  auto eq = text.rfind('=');
  return eq == std::string_view::npos ? text : text.substr(eq + 1);
}

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

// Codes whose value goes to "DRVGET" unchanged and sets nothing else.
struct PlainItem {
  std::int32_t code;
  std::string_view key;
};
constexpr std::array<PlainItem, 16> kPlainItems{{
    {205, "InstalledMemory"}, {206, "AvailableMemory"}, {301, "TonerPartNumber"},
    {400, "TotalPages"}, {401, "JamCounts"}, {402, "GenuineTonerCount"},
    {403, "NonGenuineTonerCount"}, {404, "GenuineToner"}, {501, "OPCPartNumber"},
    {602, "HostName"}, {700, "UsbID"}, {702, "ModelID"}, {703, "ConFWDate"},
    {704, "EngFWVer"}, {300, "TonerRemain"}, {500, "OPCRemain"},
}};

}  // namespace

std::int32_t CPPL_W3::ValueAfterEquals(std::string_view text) {
  auto eq = text.rfind('=');
  if (eq == std::string_view::npos) return 0;
  return static_cast<std::int32_t>(std::atoi(std::string(text.substr(eq + 1)).c_str()));
}

void CPPL_W3::WriteGet(std::string_view key, std::string_view value) const {
  platform::profile::writeString(exchangeFile_, "DRVGET", key, value);
}

void CPPL_W3::WriteSet(std::string_view key, std::string_view value) const {
  platform::profile::writeString(exchangeFile_, "DRVSET", key, value);
}

bool CPPL_W3::ReadVersion() {
  request_ = "Version?";
  if (!usb_.Transact(request_, 3)) return false;
  const auto& entry = usb_.status().entries[0];
  WriteGet("FWVersion", valueText(entry.firstText));
  WriteGet("OPLVersion", valueText(entry.secondText).substr(0, 3));
  return true;
}

bool CPPL_W3::RefreshItem(std::size_t requestIndex) {
  bool result = SendWord(requestIndex);
  // The entries are stored whatever the result: after a transaction that
  // failed before it cleared the list, they are the previous reply's.
  auto entries = usb_.status().valid();
  for (const auto& entry : entries) {
    if (!IsKnownItemCode(entry.code)) {
      if (!DrainExtraChunk()) return result;
      continue;
    }
    StoreEntry(entry);
  }
  return result;
}

bool CPPL_W3::IsKnownItemCode(std::int32_t code) {
  switch (code) {
    case 200: case 201: case 202: case 203: case 204: case 600: case 601: case 701: return true;
    default: break;
  }
  for (const auto& item : kPlainItems) {
    if (item.code == code) return true;
  }
  return false;
}

void CPPL_W3::StoreEntry(const StatusEntry& entry) {
  auto v = valueText(entry.secondText);
  auto n = ValueAfterEquals(entry.secondText);
  switch (entry.code) {
    case 200:
      fields_.sleepMinutes = beginsWith(v, 'O') ? 0 : static_cast<std::int16_t>(n);
      WriteGet("SleepMode", v);
      WriteSet("SleepMode", sleepIndex(fields_.sleepMinutes));
      return;
    case 201:
      if (beginsWith(v, 'A')) fields_.cassettePaper = 0;
      if (beginsWith(v, 'L')) fields_.cassettePaper = 1;
      WriteGet("CassettePaper", v);
      WriteSet("CassettePaper", fields_.cassettePaper == 1 ? "1" : "0");
      return;
    case 202:
      if (beginsWith(v, 'S')) fields_.tonerOutMode = 1;
      if (beginsWith(v, 'C')) fields_.tonerOutMode = 0;
      WriteGet("TonerOutError", v);
      WriteSet("TonerOutError", fields_.tonerOutMode == 1 ? "1" : "0");
      return;
    case 203:
      fields_.feedOffset = offsetTenths(v);
      WriteGet("FeedOffset", v);
      WriteSet("FeedOffset", std::to_string(fields_.feedOffset));
      return;
    case 204:
      fields_.scanOffset = offsetTenths(v);
      WriteGet("ScanOffset", v);
      WriteSet("ScanOffset", std::to_string(fields_.scanOffset));
      return;
    case 300: fields_.tonerRemaining = n; break;
    case 500: fields_.drumRemaining = n; break;
    case 600:
      fields_.paperSource = beginsWith(v, 'C') ? 1 : beginsWith(v, 'M') ? 2 : 0;
      WriteGet("RunPaperSource", v);
      return;
    case 601:
      fields_.paperSize = beginsWith(v, 'L') ? 5 : 0;
      WriteGet("RunPaperSize", v);
      return;
    case 701:
      WriteGet("CommMode", beginsWith(v, 'H') ? "1" : "0");
      return;
    default: break;
  }
  for (const auto& item : kPlainItems) {
    if (item.code == entry.code) WriteGet(item.key, v);
  }
}

// A reply with a code outside the table announces one more chunk on the
// read pipe; it is read and dropped so the next request starts clean.
bool CPPL_W3::DrainExtraChunk() {
  usb_.WriteReadDataFlag(true);
  if (!usb_.OpenPipes(PipeSelection::Read)) {
    usb_.WriteReadDataFlag(false);
    return false;
  }
  std::array<std::uint8_t, kReplyBufferSize> discard{};
  usb_.ReadPipe(discard);
  usb_.ClosePipes();
  usb_.WriteReadDataFlag(false);
  return true;
}

bool CPPL_W3::PollStatus(int tries, bool acceptAny) {
  request_ = "Status?";
  while (tries != 0) {
    usb_.Transact(request_, 3);
    if (!usb_.linkUsable()) return false;
    if (usb_.status().count < 1) {
      --tries;
      continue;
    }
    if (acceptAny || usb_.CheckReply(kStatus)) return true;
    sleep_(std::chrono::milliseconds(1000));
  }
  return false;
}

bool CPPL_W3::RefreshDeviceInfo() {
  static constexpr std::array<std::size_t, 5> kItems{kFeatures, kSerFeatures, kCsicValues,
                                                     kOpcValues, kUsbInfo};
  if (!ReadVersion()) return false;
  for (auto item : kItems) {
    if (!RefreshItem(item)) return false;
  }
  return true;
}

bool CPPL_W3::RefreshDeviceInfoAndStatus() {
  return RefreshDeviceInfo() && PollStatus(1, true);
}

}  // namespace monitor

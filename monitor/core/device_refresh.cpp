// The device information refresh: queries whose reply codes fill sections
// "DRVGET" and "DRVSET" of the exchange file and the device fields.
#include <array>
#include <vector>

#include "monitor/core/device_mapping.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/core/request_words.h"
#include "profile/profile.h"

namespace monitor {

bool CPPL_W3::ReadVersion() {
  request_ = "Version?";
  if (!usb_.Transact(request_, 3)) return false;
  const auto& entry = usb_.status().entries[0];
  namespace profile = platform::profile;
  profile::writeString(exchangeFile_, "DRVGET", "FWVersion", valueText(entry.firstText));
  profile::writeString(exchangeFile_, "DRVGET", "OPLVersion", valueText(entry.secondText).substr(0, 3));
  return true;
}

bool CPPL_W3::RefreshItem(std::size_t requestIndex) {
  bool result = sendWord(requestIndex);
  // The entries are stored whatever the result: after a transaction that
  // failed before it cleared the list, they are the previous reply's.
  storeEntries(usb_.status().valid());
  return result;
}

// Stores the entries in order; a chunk that cannot be drained ends the
// storing, and the entries after it are not stored.
void CPPL_W3::storeEntries(std::span<const StatusEntry> entries) {
  std::vector<ProfileWrite> writes;
  for (const auto& entry : entries) {
    writes.clear();
    if (!mapItemEntry(entry, fields_, writes)) {
      if (!drainExtraChunk()) return;
      continue;
    }
    for (const auto& write : writes) {
      platform::profile::writeString(exchangeFile_, write.section, write.key, write.value);
    }
  }
}

// A reply with a code outside the table announces one more chunk on the
// read pipe; it is read and dropped so the next request starts clean.
bool CPPL_W3::drainExtraChunk() {
  usb_.writeReadDataFlag(true);
  if (!usb_.OpenPipes(PipeSelection::Read)) {
    usb_.writeReadDataFlag(false);
    return false;
  }
  std::array<std::uint8_t, kReplyBufferSize> discard{};
  usb_.ReadPipe(discard);
  usb_.ClosePipes();
  usb_.writeReadDataFlag(false);
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
    clock_.sleepFor(std::chrono::milliseconds(1000));
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

// Fuzz target: any reply bytes through the read-length rule, the reply
// parse and the device-field mapping. Checks the limits the parse promises.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "monitor/core/device_mapping.h"
#include "monitor/core/orvo_usb.h"
#include "monitor/core/status_entry.h"

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A reply as the read sees it: at most 512 bytes, measured to the first zero.
  std::span<const std::uint8_t> bytes(data, std::min(size, monitor::kReplyBufferSize));
  auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  bytes = bytes.first(static_cast<std::size_t>(zero - bytes.begin()));

  monitor::StatusList list;
  monitor::parseReplyInto(bytes, list);
  require(list.count >= 0 && static_cast<std::size_t>(list.count) <= monitor::kMaxStatusEntries);

  monitor::DeviceFields fields;
  std::vector<monitor::ProfileWrite> writes;
  for (const auto& entry : list.valid()) {
    require(entry.firstText.size() <= monitor::kFirstTextLimit);
    require(entry.secondText.size() <= monitor::kSecondTextLimit);
    monitor::mapItemEntry(entry, fields, writes);
  }
  for (const auto& write : writes) require(write.value.size() <= monitor::kSecondTextLimit);
  return 0;
}

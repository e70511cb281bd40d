// CPPL_W3: the printer state of the monitor. It holds the paths of the
// exchange file and the resource text file, the device fields that the
// refresh fills, and the request buffer, and it sends the monitor's requests
// through the process-wide COrvoUsb.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "monitor/core/device_mapping.h"
#include "monitor/core/orvo_usb.h"

namespace monitor {

class CPPL_W3 {
 public:
  // Builds both paths and gives both files their write permission back.
  // The pause between status polls is slept on `clock`.
  explicit CPPL_W3(COrvoUsb& usb, platform::base::Clock& clock = platform::base::systemClock());

  const std::filesystem::path& exchangeFile() const { return exchangeFile_; }
  const std::filesystem::path& resourceFile() const { return resourceFile_; }
  const DeviceFields& fields() const { return fields_; }
  // The status window replaces the status entries and asks whether the
  // printer is on the bus.
  COrvoUsb& usb() { return usb_; }

  // The first row of the status table with this code; 0 when none has it,
  // which does not tell 10000 (row 0) from an unknown code.
  std::int16_t FindStatusRow(std::int32_t code) const;

  // win.ini section "DRVSTM".
  bool WriteStmFlag(std::string_view key, std::int32_t value) const;

  // Operator requests of the status window.
  bool SendCancelJob();
  bool SendMismatchPageAdd();
  bool SendMismatchPageDelete();
  bool SendContinuePrint();
  bool SendRetryCurrentPage();

  // Device information refresh.
  bool RefreshDeviceInfo();
  bool RefreshDeviceInfoAndStatus();
  bool ReadVersion();
  bool RefreshItem(std::size_t requestIndex);
  bool PollStatus(int tries, bool acceptAny);

  // Driver command batches.
  int RunCommandBatch();
  int SendBatchCommand(std::string_view command);

 private:
  // Copies a table word into the request buffer and sends it.
  bool sendWord(std::size_t requestIndex);
  void storeEntries(std::span<const StatusEntry> entries);
  bool drainExtraChunk();
  void showBatchFailure() const;

  COrvoUsb& usb_;
  DeviceFields fields_;
  std::filesystem::path exchangeFile_;
  std::filesystem::path resourceFile_;
  std::string request_;  // at most 63 characters
  platform::base::Clock& clock_;
};

}  // namespace monitor

// CPPL_W3: the printer state of the monitor. It holds the paths of the
// exchange file and the resource text file, the device fields that the
// refresh fills, and the request buffer, and it sends the monitor's requests
// through the process-wide COrvoUsb.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "monitor/core/orvo_usb.h"

namespace monitor {

// Values the refresh keeps between redraws of the status window.
struct DeviceFields {
  std::int16_t paperSource = 0;  // 0 automatic, 1 cassette, 2 manual
  std::int16_t paperSize = 0;    // 0, or 5 for a size whose name begins with L
  std::int16_t sleepMinutes = 15;
  std::int16_t cassettePaper = 0;
  std::int16_t tonerOutMode = 0;
  std::int16_t feedOffset = 0;   // tenths
  std::int16_t scanOffset = 0;   // tenths
  std::int32_t tonerRemaining = 100;
  std::int32_t drumRemaining = 100;
};

class CPPL_W3 {
 public:
  using Sleeper = std::function<void(std::chrono::milliseconds)>;

  // Builds both paths and gives both files their write permission back.
  explicit CPPL_W3(COrvoUsb& usb);

  const std::filesystem::path& exchangeFile() const { return exchangeFile_; }
  const std::filesystem::path& resourceFile() const { return resourceFile_; }
  const DeviceFields& fields() const { return fields_; }
  COrvoUsb& usb() { return usb_; }

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
  static std::int32_t ValueAfterEquals(std::string_view text);

  // Driver command batches.
  int RunCommandBatch();
  int SendBatchCommand(std::string_view command);

  // The pause between status polls; a test replaces it to keep time.
  void setSleeper(Sleeper sleeper) { sleep_ = std::move(sleeper); }

 private:
  // Copies a table word into the request buffer and sends it.
  bool SendWord(std::size_t requestIndex);
  static bool IsKnownItemCode(std::int32_t code);
  void StoreEntry(const StatusEntry& entry);
  bool DrainExtraChunk();
  void ShowBatchFailure() const;

  void WriteGet(std::string_view key, std::string_view value) const;
  void WriteSet(std::string_view key, std::string_view value) const;

  COrvoUsb& usb_;
  DeviceFields fields_;
  std::filesystem::path exchangeFile_;
  std::filesystem::path resourceFile_;
  std::string request_;  // at most 63 characters
  Sleeper sleep_;
};

}  // namespace monitor

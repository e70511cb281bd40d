// Driver command batches: the commands of section "DRVCMD", each sent with
// up to three attempts, and the failure box for a command that never took.
#include <string>

#include "monitor/core/ppl_w3.h"
#include "monitor/core/request_words.h"
#include "text/codepage.h"
#include "ui/message_box.h"
#include "profile/profile.h"

namespace monitor {

namespace {
constexpr int kMaxBatchCommands = 10;
constexpr std::size_t kCommandBuffer = 64;
constexpr std::size_t kCaptionBuffer = 128;
constexpr std::size_t kLineBuffer = 260;
constexpr std::size_t kBoxTextLimit = 519;
constexpr int kBoxLines = 9;
constexpr int kAttempts = 3;
}  // namespace

int CPPL_W3::RunCommandBatch() {
  namespace profile = platform::profile;
  profile::writeString(exchangeFile_, "DRVCMD", "Run", "1");
  int count = std::min(profile::getInt(exchangeFile_, "DRVCMD", "MaxCount", 0), kMaxBatchCommands);
  int result = 0;
  for (int i = 1; i <= count; ++i) {
    auto command = profile::getString(exchangeFile_, "DRVCMD", "Cmd" + std::to_string(i), "0",
                                      kCommandBuffer);
    result = command.empty() ? 0 : SendBatchCommand(command + ";");
  }
  profile::writeString(exchangeFile_, "DRVCMD", "Result", std::to_string(result));
  profile::writeString(exchangeFile_, "DRVCMD", "Run", "0");
  return result;
}

int CPPL_W3::SendBatchCommand(std::string_view command) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (usb_.Transact(command, 1) && usb_.CheckReply(kSleepMode)) return 1;
  }
  showBatchFailure();
  return 0;
}

// Caption and lines come from the resource text file. The text holds at
// most 519 characters: a line that would not fit is left out whole, and so
// are the lines after it.
void CPPL_W3::showBatchFailure() const {
  namespace profile = platform::profile;
  auto caption = profile::getString(resourceFile_, "FW_MSG", "msgCode", "", kCaptionBuffer);
  std::string text;
  for (int i = 1; i <= kBoxLines; ++i) {
    auto line = profile::getString(resourceFile_, "FW_MSG", "msgCodei" + std::to_string(i), "",
                                   kLineBuffer);
    if (line.empty() || text.size() + line.size() + 2 > kBoxTextLimit) break;
    text += line + "\r\n";
  }
  if (caption.empty()) caption = "ERROR!";
  if (text.empty()) text = "Flash Writing Error";
  platform::ui::showMessageBox({platform::text::ansiToUtf8(caption), platform::text::ansiToUtf8(text),
                            platform::ui::MessageIcon::Error});
}

}  // namespace monitor

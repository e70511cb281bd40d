// CPPL_W3 construction, the win.ini flags and the operator requests.
#include "monitor/core/ppl_w3.h"

#include "monitor/core/request_words.h"
#include "base/folders.h"
#include "profile/profile.h"

namespace monitor {

namespace {
constexpr std::size_t kRequestLimit = 63;
}  // namespace

CPPL_W3::CPPL_W3(COrvoUsb& usb, platform::base::Clock& clock) : usb_(usb), clock_(clock) {
  exchangeFile_ = platform::base::joinPath(
      {platform::base::programFilesFolder().string(), "VARN", "QZ3317VT", "QZ3317VT_SMD.DAT"});
  platform::base::setNormalAttributes(exchangeFile_);
  resourceFile_ = platform::base::joinPath({platform::base::printerDriverFolder().string(), "3", "QZ3317VT_RES.DAT"});
  platform::base::setNormalAttributes(resourceFile_);
  usb_.attachExchangeFile(exchangeFile_);
}

bool CPPL_W3::WriteStmFlag(std::string_view key, std::int32_t value) const {
  return platform::profile::writeProfileString("DRVSTM", key, std::to_string(value));
}

bool CPPL_W3::sendWord(std::size_t requestIndex) {
  request_ = std::string(kRequestWords[requestIndex].substr(0, kRequestLimit));
  return usb_.Transact(request_, 3);
}

bool CPPL_W3::SendCancelJob() { return sendWord(kCancelJob); }
bool CPPL_W3::SendMismatchPageAdd() { return sendWord(kMismatchPageAdd); }
bool CPPL_W3::SendMismatchPageDelete() { return sendWord(kMismatchPageDelete); }
bool CPPL_W3::SendContinuePrint() { return sendWord(kContinuePrint); }
bool CPPL_W3::SendRetryCurrentPage() { return sendWord(kRetryCurrentPage); }

}  // namespace monitor

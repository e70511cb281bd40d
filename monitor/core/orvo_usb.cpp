// COrvoUsb transport: printer search, pipes, writes and bounded reads.
#include "monitor/core/orvo_usb.h"

#include <algorithm>
#include <cstring>

#include "base/diagnostics.h"
#include "text/codepage.h"
#include "profile/profile.h"

namespace monitor {

namespace {
constexpr std::string_view kPrinterMatch = "usb\\vid_7a3c&pid_5b21";
}  // namespace

COrvoUsb::COrvoUsb(platform::usb::Bus& bus) : bus_(bus) {}

void COrvoUsb::attachExchangeFile(std::filesystem::path exchangeFile) {
  exchangeFile_ = std::move(exchangeFile);
}

int COrvoUsb::OpenLink() {
  linkUsable_ = FindPrinterPath(kMaxDevicePath) ? 1 : 0;
  if (linkUsable_ == 0) reportLinkFailure();
  return linkUsable_;
}

// Every later transaction of the run fails at once without a word, so the
// one line says why: no printer on the bus, or one that cannot be opened.
void COrvoUsb::reportLinkFailure() {
  auto path = searchPrinter(kMaxDevicePath);
  if (path.empty()) {
    platform::base::reportProblem(
        "no printer found: no USB printing interface of a QZ3317VT (vendor 7A3C, product 5B21)");
  } else {
    platform::base::reportProblem("printer found at " + path +
                                  " but it cannot be opened (device permissions, or another "
                                  "program holds its interface)");
  }
}

std::string COrvoUsb::searchPrinter(std::size_t maxPathLength) {
  auto devices = bus_.listDevices(platform::usb::InterfaceClass::Printing);
  if (!devices) return {};
  // Only the first device that matches is considered, even when its
  // interface turns out to be unusable.
  auto match = std::find_if(devices->begin(), devices->end(), [](const auto& device) {
    if (device.hardwareIds.empty()) return false;
    return platform::text::lowerAnsi(device.hardwareIds.front()).starts_with(kPrinterMatch);
  });
  if (match == devices->end() || !match->devicePath) return {};
  if (match->devicePath->size() > maxPathLength) return {};
  return *match->devicePath;
}

bool COrvoUsb::FindPrinterPath(std::size_t maxPathLength) {
  auto path = searchPrinter(maxPathLength);
  if (path.empty()) return false;
  if (!bus_.open(path, platform::usb::Access::ReadWrite)) return false;
  // The pipe paths are kept whole: a device path at the length limit plus
  // its pipe suffix is longer than the limit but still names the pipe.
  writePipePath_ = path + "\\PIPE00";
  readPipePath_ = path + "\\PIPE01";
  return true;
}

bool COrvoUsb::IsPrinterPresent() { return !searchPrinter(kMaxDevicePath).empty(); }

bool COrvoUsb::OpenPipes(PipeSelection selection) {
  using platform::usb::Access;
  if (selection != PipeSelection::Read) {
    if (writePipe_) ClosePipes();
    if (!writePipePath_.empty()) writePipe_ = bus_.open(writePipePath_, Access::Write);
    if (selection == PipeSelection::Write) return writePipe_ != nullptr;
  }
  if (readPipe_) ClosePipes();
  if (!readPipePath_.empty()) readPipe_ = bus_.open(readPipePath_, Access::Read);
  return readPipe_ != nullptr;
}

void COrvoUsb::ClosePipes() {
  writePipe_.reset();
  readPipe_.reset();
}

bool COrvoUsb::WritePipe(std::span<const std::uint8_t> data, int attempts) {
  std::size_t done = 0;
  while (attempts != 0 && done < data.size()) {
    std::size_t written = 0;
    if (writePipe_) {
      auto result = writePipe_->write(data.subspan(done));
      if (result.ok) written = std::min(result.written, data.size() - done);
    }
    done += written;
    --attempts;
  }
  if (done != data.size()) linkUsable_ = 0;
  return done == data.size() && linkUsable_ != 0;
}

std::size_t COrvoUsb::ReadPipe(std::span<std::uint8_t> buffer) {
  std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
  if (!readPipe_) {
    linkUsable_ = 0;
    return 0;
  }
  using platform::usb::ReadStatus;
  switch (readPipe_->read(buffer, readLimit_).status) {
    case ReadStatus::Completed: {
      // The reply is text: its length ends at the first zero byte, and at
      // the buffer's end when it holds none.
      auto zero = std::find(buffer.begin(), buffer.end(), std::uint8_t{0});
      return static_cast<std::size_t>(zero - buffer.begin());
    }
    case ReadStatus::TimedOut:
      platform::base::reportProblem("no reply from the printer within " +
                                    std::to_string(readLimit_.count()) + " ms");
      linkUsable_ = 0;
      return 0;
    case ReadStatus::InvalidHandle:
      linkUsable_ = 0;
      return 0;
    case ReadStatus::Failed:
      return 0;
  }
  return 0;
}

void COrvoUsb::writeReadDataFlag(bool holding) const {
  platform::profile::writeString(exchangeFile_, "DRVMSG", "STMreaddata", holding ? "1" : "0");
}

}  // namespace monitor

// COrvoUsb protocol: transactions and the judgement of their replies.
#include "monitor/core/orvo_usb.h"

#include <algorithm>
#include <initializer_list>

#include "base/diagnostics.h"

namespace monitor {

namespace {

bool anyCode(std::span<const StatusEntry> entries, std::initializer_list<std::int32_t> codes) {
  return std::any_of(entries.begin(), entries.end(), [&](const StatusEntry& entry) {
    return std::find(codes.begin(), codes.end(), entry.code) != codes.end();
  });
}

// "Status?" is confirmed by a ready-like code, unless a 1001 comes first.
bool statusConfirmed(std::span<const StatusEntry> entries) {
  for (const auto& entry : entries) {
    switch (entry.code) {
      case 1: case 3: case 4: case 5: case 19: return true;
      case 1001: return false;
      default: break;
    }
  }
  return false;
}

}  // namespace

bool COrvoUsb::Transact(std::string_view request, int repeatCount) {
  if (!linkUsable()) return false;
  writeReadDataFlag(true);
  if (!OpenPipes(PipeSelection::Both)) {
    // The write pipe may have opened before the read pipe failed; it must
    // not stay open, or the interface stays claimed and the printer's
    // kernel driver detached for the rest of the process.
    ClosePipes();
    linkUsable_ = 0;
    writeReadDataFlag(false);
    // The link stays down for the rest of the run, so this is said once.
    platform::base::reportProblem(
        "cannot open the printer's pipes: another program holds its interface (a print job?), "
        "or it went away");
    return false;
  }
  status_.count = 0;
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(request.data()),
                                      request.size());
  bool passOk = false;
  for (int pass = 0; pass < repeatCount; ++pass) {
    passOk = false;
    if (!WritePipe(bytes, 3)) {
      linkUsable_ = 0;
      continue;
    }
    auto length = ReadPipe(reply_);
    passOk = length > 0;
    ParseReply(std::span<const std::uint8_t>(reply_).first(length));
  }
  ClosePipes();
  writeReadDataFlag(false);
  return passOk && status_.count > 0;
}

int COrvoUsb::ParseReply(std::span<const std::uint8_t> data) {
  return parseReplyInto(data, status_);
}

bool COrvoUsb::HasErrorCode() const {
  auto entries = status_.valid();
  return std::any_of(entries.begin(), entries.end(),
                     [](const StatusEntry& entry) { return isReplyErrorCode(entry.code); });
}

bool COrvoUsb::CheckReply(std::uint8_t checkKind) {
  if (status_.count < 1 || HasErrorCode()) {
    linkUsable_ = 0;
    return false;
  }
  auto entries = status_.valid();
  switch (checkKind) {
    case 23: return anyCode(entries, {20, 21});
    case 46:
    case 48: return anyCode(entries, {1, 3, 4, 5});
    case 47: return anyCode(entries, {2});
    case 49: return statusConfirmed(entries);
    default: return false;
  }
}

}  // namespace monitor

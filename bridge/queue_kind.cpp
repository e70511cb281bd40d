// Queue selection and kinds.
#include "bridge/queue_kind.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "base/folders.h"

namespace bridge {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool namesPrinter(std::string_view text) { return lower(text).find("qz3317vt") != std::string::npos; }

}  // namespace

bool isPrinterQueue(const platform::print::QueueAttributes& queue) {
  return namesPrinter(queue.makeAndModel) || namesPrinter(queue.deviceUri);
}

QueueKind kindOf(std::string_view deviceUri) {
  std::string scheme = lower(deviceUri.substr(0, deviceUri.find(':')));
  for (std::string_view network : {"ipp", "ipps", "http", "https", "socket", "lpd", "dnssd"})
    if (scheme == network) return QueueKind::Network;
  return QueueKind::Local;
}

std::filesystem::path exchangeFileOf(QueueKind kind) {
  return platform::base::joinPath({platform::base::programFilesFolder().string(), "VARN", "QZ3317VT",
                                   kind == QueueKind::Local ? "QZ3317VT_SMD.DAT" : "QZ3317VT_SMD_NET.DAT"});
}

const char* printLogWord(QueueKind kind) { return kind == QueueKind::Local ? "PrintLog" : "PrintLog_NET"; }

}  // namespace bridge

// Which status codes of a reply the monitor will read.
#include "tools/printer/reply_codes.h"

#include <array>
#include <cstdlib>
#include <string>

namespace printer {

namespace {
constexpr std::size_t kReadSize = 512;
constexpr std::size_t kMaxEntries = 30;
constexpr std::array<std::string_view, 8> kFoldedPrefixes{"112", "113", "114", "410",
                                                          "412", "413", "414", "419"};
}  // namespace

std::vector<int> codesSeenByMonitor(std::string_view reply) {
  reply = reply.substr(0, std::min(reply.find('\0'), kReadSize));
  std::vector<int> codes;
  for (std::size_t j = 11; j < reply.size() && codes.size() < kMaxEntries; ++j) {
    if (reply[j] != '\n' || reply[j - 1] != '\r' || reply.substr(j - 11, 5) != "CODE=") continue;
    std::string text(reply.substr(j - 6, 5));
    for (auto prefix : kFoldedPrefixes) {
      if (text.starts_with(prefix)) text.replace(3, 2, "01");
    }
    codes.push_back(std::atoi(text.c_str()));
  }
  return codes;
}

bool refreshKnowsCode(int code) {
  return (code >= 200 && code <= 206) || code == 300 || code == 301 ||
         (code >= 400 && code <= 404) || code == 500 || code == 501 ||
         (code >= 600 && code <= 602) || (code >= 700 && code <= 704);
}

}  // namespace printer

// Writing the request log of the simulated printer.
#include "tools/printer/request_log.h"

#include <fcntl.h>
#include <unistd.h>

namespace printer {

std::string escapeBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\0') out += "\\0";
    else if (byte >= 0x20 && byte < 0x7f) out += c;
    else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0f];
    }
  }
  return out;
}

void appendRequestLog(const std::filesystem::path& log, std::string_view request) {
  int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  std::string line = escapeBytes(request) + "\n";
  // One write of a whole line under O_APPEND keeps lines whole.
  [[maybe_unused]] auto written = ::write(fd, line.data(), line.size());
  ::close(fd);
}

}  // namespace printer

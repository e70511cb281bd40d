// Computer and account names from the system, with the retry rule.
#include "logrecorder/system_names.h"

#include <string_view>

#include "base/system_names.h"
#include "text/codepage.h"

namespace logrecorder {

namespace {

constexpr int kRetries = 10;

// An empty text when the name does not fit the caller's buffer.
std::u16string fitting(std::string_view utf8, std::size_t capacity) {
  auto name = platform::text::utf8ToUtf16(utf8);
  if (name.size() >= capacity) return {};
  return name;
}

}  // namespace

std::u16string nameWithRetries(const NameQuery& query) {
  auto name = query(kNameBufferUnits);
  for (int retry = 0; retry < kRetries && name.empty(); ++retry) name = query(kNameBufferUnits);
  return name;
}

std::u16string systemComputerName(std::size_t capacity) {
  return fitting(platform::base::hostName(), capacity);
}

std::u16string systemUserName(std::size_t capacity) {
  return fitting(platform::base::accountName(), capacity);
}

}  // namespace logrecorder

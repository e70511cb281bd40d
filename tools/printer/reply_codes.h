// The status codes of a reply as the monitor will see them, so that the
// printer can hold one further chunk for each code the monitor's refresh
// does not know (the monitor drains each with an extra read).
#pragma once

#include <string_view>
#include <vector>

namespace printer {

// The codes of the status lines ("CODE=" five characters CR LF) within the
// first 512 bytes and before the first zero byte, at most 30 of them, with
// the 112/113/114/410/412/413/414/419 prefixes folded to xxx01 the way the
// monitor folds them.
std::vector<int> codesSeenByMonitor(std::string_view reply);

// Whether the monitor's refresh stores entries of this code (200-206, 300,
// 301, 400-404, 500, 501, 600-602, 700-704).
bool refreshKnowsCode(int code);

}  // namespace printer

// The text forms of the headless host's lines: quoting and word splitting.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ui::headless {

// TEXT in double quotes; \\, \", \r, \n, \t and other control bytes as \xHH.
std::string quote(std::string_view text);

// The blank-separated words of a line.
std::vector<std::string_view> words(std::string_view line);

// A decimal int, the whole word; nullopt otherwise.
std::optional<int> number(std::string_view word);

}  // namespace platform::ui::headless

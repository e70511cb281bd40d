// The status window's title and information texts, composed from the
// "FW_MSG" section of the resource text file. Texts are in code page 936.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "monitor/core/status_table.h"

namespace monitor {

inline constexpr std::size_t kTitleLimit = 255;
inline constexpr std::size_t kInformationLimit = 511;
inline constexpr std::size_t kResourceValueLimit = 255;

// The longest start of `text` of at most `limit` bytes that ends on a
// character boundary: a lead byte 0x81-0xFE and its trail byte stay together.
std::string cutAnsi(std::string_view text, std::size_t limit);

// The "c2" template with its first "%s" replaced by `codeText`. Every other
// byte, "%" included, is copied as it stands: the template comes from a
// shipped file and is never used as a format.
std::string fillCodeTemplate(std::string_view pattern, std::string_view codeText);

struct MessageTexts {
  std::string title;
  std::string information;
};

// Reads one "FW_MSG" key; an empty text when it is missing.
using MessageReader = std::function<std::string(const std::string& key)>;

// Title: value N, CRLF, and the filled value "Nc2", cut to 255 bytes.
// Information: values "Ni1" to "Ni9" up to the first empty one, each
// followed by CRLF (four blanks before lines 2 and 3 of V_CONSUM_N_END),
// cut to 511 bytes. N is the status name of the row.
MessageTexts composeMessageTexts(const StatusRow& row, const MessageReader& read);

}  // namespace monitor

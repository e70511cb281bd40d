// The computer name and the account name that a scan record carries, asked
// from the system with a few retries.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace logrecorder {

// One question to the system for a name. Called with the capacity of the
// caller's buffer in UTF-16 units, terminator included. Returns the name,
// or an empty text when the system yields none or the name does not fit.
using NameQuery = std::function<std::u16string(std::size_t capacity)>;

// The capacity of the buffer each name is asked into.
inline constexpr std::size_t kNameBufferUnits = 260;

// Asks `query` once and, while the answer is empty, at most 10 times more
// (11 calls in all). Returns the first non-empty answer, or an empty text.
std::u16string nameWithRetries(const NameQuery& query);

// The host name (gethostname).
std::u16string systemComputerName(std::size_t capacity);

// The name of the effective user's account (the password database, else
// $USER).
std::u16string systemUserName(std::size_t capacity);

}  // namespace logrecorder

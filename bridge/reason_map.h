// The status code the bridge writes for a queue: its state reasons mapped
// onto the monitor's status table, else its state.
//
// A reason counts without its severity suffix ("-error", "-warning",
// "-report"). Of several mapped reasons, the one whose code is an error in
// the status table wins over a warning, a warning over a normal one; among
// equals the earlier row of kReasonTable wins. Without a mapped reason an
// idle queue is 10001 (ready), a processing one 10023 (printing), and a
// stopped one 60030 (machine error): the queue will not print until someone
// acts, which is what an error row says, and the continue answer resumes it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "print/print_server.h"

namespace bridge {

struct ReasonRow {
  std::string_view reason;  // the IPP keyword without its severity suffix
  int code;                 // the status code written for it
};

// The one table of reasons to codes (README: "Printer states and status codes").
std::span<const ReasonRow> reasonTable();

inline constexpr int kReadyCode = 10001;
inline constexpr int kPrintingCode = 10023;
inline constexpr int kStoppedCode = 60030;

// "media-jam-error" -> "media-jam"; a reason without a suffix stays.
std::string_view withoutSeverity(std::string_view reason);

// The code for a queue in `state` with `reasons`.
int statusCodeFor(platform::print::QueueState state, const std::vector<std::string>& reasons);

// Whether `code` is an error (kind 1) or a warning (kind 2) of the status
// table, the codes that pop the status window up.
bool isErrorOrWarning(int code);

}  // namespace bridge

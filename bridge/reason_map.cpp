// The reasons-to-codes table and the choice among several reasons.
#include "bridge/reason_map.h"

#include <array>

namespace bridge {
namespace {

// Ordered by how specific a reason is; the codes are rows of the status
// table (the status name in the comment).
constexpr std::array<ReasonRow, 24> kTable{{
    {"media-jam", 44114},                         // V_JAM_TRAY1
    {"door-open", 40021},                         // V_COVER_OPEN
    {"cover-open", 40021},                        // V_COVER_OPEN
    {"interlock-open", 40021},                    // V_COVER_OPEN
    {"toner-empty", 40309},                       // V_REPLACE_TONER
    {"marker-supply-empty", 40309},               // V_REPLACE_TONER
    {"marker-supply-missing", 40405},             // V_NO_CARTRIGE
    {"toner-low", 10209},                         // V_N_END_TONER
    {"marker-supply-low", 10205},                 // V_CONSUM_N_END
    {"opc-life-over", 60005},                     // V_DRUM
    {"opc-near-eol", 10305},                      // V_N_END_OPC
    {"media-empty", 41901},                       // V_N_PAPER
    {"media-needed", 41901},                      // V_N_PAPER
    {"media-low", 11201},                         // V_N_PAPER_T1
    {"input-tray-missing", 12201},                // V_N_TRAY_T1
    {"output-area-full", 44102},                  // V_JAM_OUTPUT
    {"spool-area-full", 60000},                   // V_PRINT_DATA_FULL
    {"interpreter-resource-unavailable", 30016},  // V_NO_MEMORY
    {"fuser-over-temp", 60003},                   // V_TEMP_ERROR_002
    {"fuser-under-temp", 60003},                  // V_TEMP_ERROR_002
    {"offline", 50001},                           // V_COMM_ERROR
    {"timed-out", 50001},                         // V_COMM_ERROR
    {"paused", 10003},                            // V_WAIT
    {"other", 60030},                             // V_MACHINE_ERR
}};

// The status table's kind of the mapped codes: 1 error, 2 warning, 0 normal.
int kindOf(int code) {
  switch (code) {
    case 10205: case 10209: case 10305: case 11201:
      return 2;
    case 10001: case 10003: case 10023:
      return 0;
    default:
      return 1;
  }
}

// Lower is stronger: errors, then warnings, then normal codes.
int strength(int code) {
  switch (kindOf(code)) {
    case 1: return 0;
    case 2: return 1;
    default: return 2;
  }
}

}  // namespace

std::span<const ReasonRow> reasonTable() { return kTable; }

std::string_view withoutSeverity(std::string_view reason) {
  for (std::string_view suffix : {"-error", "-warning", "-report"}) {
    if (reason.size() > suffix.size() && reason.ends_with(suffix))
      return reason.substr(0, reason.size() - suffix.size());
  }
  return reason;
}

int statusCodeFor(platform::print::QueueState state, const std::vector<std::string>& reasons) {
  const ReasonRow* best = nullptr;
  for (const ReasonRow& row : kTable) {
    for (const std::string& reason : reasons) {
      if (withoutSeverity(reason) != row.reason) continue;
      if (!best || strength(row.code) < strength(best->code)) best = &row;
    }
  }
  if (best) return best->code;
  switch (state) {
    case platform::print::QueueState::Processing: return kPrintingCode;
    case platform::print::QueueState::Stopped: return kStoppedCode;
    case platform::print::QueueState::Idle: return kReadyCode;
  }
  return kReadyCode;
}

bool isErrorOrWarning(int code) {
  bool mapped = code == kStoppedCode;
  for (const ReasonRow& row : kTable) mapped = mapped || row.code == code;
  return mapped && kindOf(code) != 0;
}

}  // namespace bridge

// The status table and the row lookup of CPPL_W3.
#include "monitor/core/status_table.h"

#include "monitor/core/ppl_w3.h"

namespace monitor {

namespace {
constexpr StatusKind N = StatusKind::Normal;
constexpr StatusKind E = StatusKind::Error;
constexpr StatusKind W = StatusKind::Warning;
constexpr std::array<std::uint8_t, 4> kClose{0, 0, 0, 1};     // 1427
constexpr std::array<std::uint8_t, 4> kRetry{0, 1, 1, 0};     // 1425, 1426
constexpr std::array<std::uint8_t, 4> kContinue{1, 0, 1, 0};  // 1424, 1426
}  // namespace

const std::array<StatusRow, kStatusRows> kStatusTable{{
    {10000, N, kClose, 0, "V_NONE"},
    {88888, W, kRetry, 1, "V_INTERNET"},
    {10001, N, kClose, 2, "V_READY"},
    {10003, N, kClose, 3, "V_WAIT"},
    {10007, N, kClose, 4, "V_CANCEL"},
    {10023, N, kClose, 5, "V_PRINTING"},
    {10205, W, kRetry, 6, "V_CONSUM_N_END"},
    {10209, W, kRetry, 7, "V_N_END_TONER"},
    {10305, W, kRetry, 8, "V_N_END_OPC"},
    {10316, W, kRetry, 9, "V_CHANGE_FUSER"},
    {11201, W, kRetry, 10, "V_N_PAPER_T1"},
    {11301, W, kRetry, 11, "V_N_PAPER_T2"},
    {11401, W, kRetry, 12, "V_N_PAPER_T3"},
    {12201, E, kContinue, 13, "V_N_TRAY_T1"},
    {12301, E, kContinue, 14, "V_N_TRAY_T2"},
    {12401, E, kContinue, 15, "V_N_TRAY_T3"},
    {30016, E, kContinue, 16, "V_NO_MEMORY"},
    {40000, N, kClose, 17, "V_SLEEP"},
    {40021, E, kContinue, 18, "V_COVER_OPEN"},
    {40121, E, kContinue, 19, "V_BACK_COVER_OPEN"},
    {40309, E, kContinue, 20, "V_REPLACE_TONER"},
    {40405, E, kContinue, 21, "V_NO_CARTRIGE"},
    {40409, E, kContinue, 22, "V_TONER_ID_ERR"},
    {41001, E, kContinue, 23, "V_N_PAPER_MP"},
    {41201, E, kContinue, 24, "V_NO_PAPER_T1"},
    {41301, E, kContinue, 25, "V_NO_PAPER_T2"},
    {41401, E, kContinue, 26, "V_NO_PAPER_T3"},
    {41901, E, kContinue, 27, "V_N_PAPER"},
    {44102, E, kContinue, 28, "V_JAM_OUTPUT"},
    {44113, E, kContinue, 29, "V_FEED_JAM"},
    {44114, E, kContinue, 30, "V_JAM_TRAY1"},
    {44115, E, kContinue, 31, "V_JAM_INSIDE"},
    {44116, E, kContinue, 32, "V_JAM_2SIDED"},
    {50076, E, kContinue, 33, "V_SELF_DIAGNOSTIC"},
    {60000, E, kContinue, 34, "V_PRINT_DATA_FULL"},
    {60003, E, kContinue, 35, "V_TEMP_ERROR_002"},
    {60005, E, kContinue, 36, "V_DRUM"},
    {60021, E, kContinue, 37, "V_LSU_COVER_OPEN"},
    {60023, E, kContinue, 38, "V_SIZE_ERR_DX"},
    {60030, E, kContinue, 39, "V_MACHINE_ERR"},
    {60129, E, kContinue, 40, "V_INCOR_MEDIA_WR"},
    {60142, E, kContinue, 41, "V_INCOR_PAPER_WR"},
    {60144, E, kContinue, 42, "V_CARTRIDGE_ERR"},
    {60179, E, kContinue, 43, "V_TOO_MANY_TRAYS"},
    {60185, E, kContinue, 44, "V_SELF_DIAGNOSTIC2"},
    {60182, E, kContinue, 45, "V_UNABLE_ZC"},
    {62002, W, kContinue, 46, "V_PLACE_LASER"},
    {62109, W, kContinue, 47, "V_PLACE_KIT1"},
    {62110, W, kContinue, 48, "V_PLACE_KIT2"},
    {62111, W, kContinue, 49, "V_PLACE_KIT3"},
    {62116, W, kContinue, 50, "V_PLACE_KITMP"},
    {62123, W, kContinue, 51, "V_PAPER_T2_LOW"},
    {62124, W, kContinue, 52, "V_PAPER_T3_LOW"},
    {65003, E, kContinue, 53, "V_N_PAPER_FEED1"},
    {65004, E, kContinue, 54, "V_JAM_TRAY2"},
    {65005, E, kContinue, 55, "V_N_PAPER_FEED2"},
    {65008, E, kContinue, 56, "V_JAM_TRAY3"},
    {65009, E, kContinue, 57, "V_N_PAPER_FEED3"},
    {70004, E, kContinue, 58, "V_DOC_JAM"},
    {70007, E, kContinue, 59, "V_WRONG_SIZE"},
    {70014, E, kContinue, 60, "V_ADF_OPEN"},
    {70100, E, kContinue, 61, "V_UNABLE_AF"},
    {70400, E, kContinue, 62, "V_UNABLE_A9"},
    {70420, E, kContinue, 63, "V_UNABLE"},
    {50001, E, kClose, 64, "V_COMM_ERROR"},
}};

std::string_view statusName(std::int16_t messageIndex) {
  if (messageIndex < 0 || static_cast<std::size_t>(messageIndex) >= kStatusRows) return "";
  return kStatusTable[static_cast<std::size_t>(messageIndex)].name;
}

std::int16_t CPPL_W3::FindStatusRow(std::int32_t code) const {
  for (std::size_t row = 0; row < kStatusRows; ++row) {
    if (kStatusTable[row].code == code) return static_cast<std::int16_t>(row);
  }
  return 0;
}

}  // namespace monitor

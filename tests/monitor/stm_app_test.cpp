// Start-up rules: the mode keyword, the run mode and the port number.
#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include "monitor/core/stm_app.h"

namespace monitor {
namespace {

struct KeywordCase {
  const char* what;
  const char* commandLine;
  const char* keyword;
  std::int32_t mode;
};

class Keyword : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(Keyword, SelectsTheMode) {
  const auto& c = GetParam();
  auto keyword = modeKeyword(c.commandLine);
  EXPECT_EQ(keyword, c.keyword) << c.what;
  EXPECT_EQ(runModeFromKeyword(keyword), c.mode) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Keyword,
    ::testing::Values(
        KeywordCase{"lower case", "C:\\psm.exe stm", "STM", kModeStatus},
        KeywordCase{"longer word", "psm STMX", "STM", kModeStatus},
        KeywordCase{"alert", "psm ALERT", "ALE", kModeAlert},
        KeywordCase{"refresh", "psm INI", "INI", kModeRefreshAll},
        KeywordCase{"device refresh", "psm drv", "DRV", kModeRefreshDevice},
        KeywordCase{"batch", "psm CMD", "CMD", kModeCommand},
        KeywordCase{"job begin", "psm JBG", "JBG", kModeJobBegin},
        KeywordCase{"last word only", "psm INI CMD", "CMD", kModeCommand},
        KeywordCase{"trailing blank", "psm INI ", "", kModeStatus},
        KeywordCase{"no blank", "psm.exe", "PSM", kModeStatus},
        KeywordCase{"short word", "psm IN", "IN", kModeStatus},
        KeywordCase{"quoted path with blanks", "\"C:\\Program Files\\psm.exe\"", "FIL", kModeStatus},
        KeywordCase{"double-byte text is not cased", "psm \xC4\xE3ini", "\xC4\xE3I", kModeStatus}),
    testing_support::CaseNameFrom<&KeywordCase::what>{});

struct PortCase {
  const char* setting;
  std::int16_t port;
};

class Port : public ::testing::TestWithParam<PortCase> {};

TEST_P(Port, NumberFromSetting) {
  EXPECT_EQ(portNumberFromSetting(GetParam().setting), GetParam().port) << GetParam().setting;
}

INSTANTIATE_TEST_SUITE_P(Table, Port,
                         ::testing::Values(PortCase{"USB001", 1}, PortCase{"USB012", 12},
                                           PortCase{"USB123", 123}, PortCase{"LPT1", 0},
                                           PortCase{"NONE", 0}, PortCase{"", 0},
                                           PortCase{"FILE:", 0},
                                           // fixed positions wherever "USB" stands
                                           PortCase{"XUSB01", (('B' - '0') * 100) + 0 + 1},
                                           // past the end reads the terminating zero
                                           PortCase{"USB", -5328}),
    testing_support::CaseNameFrom<&PortCase::setting>{});

}  // namespace
}  // namespace monitor

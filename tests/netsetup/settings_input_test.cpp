// The input side of a save: the address field's octets and text, the
// checks of new settings, and the addresses on lan_setter's command line.
#include <gtest/gtest.h>

#include "net/ipv4.h"
#include "netsetup/address_field.h"
#include "netsetup/scripted_run.h"
#include "netsetup/settings_check.h"
#include "tests/support/case_names.h"

namespace netsetup_test {
namespace {

using netsetup::AddressField;
using netsetup::SettingsProblem;

netsetup::Octets octets(const char* dotted) {
  return platform::net::parseInetAddr(dotted)->octets();
}

TEST(AddressField, BlankOctetsReadAsZero) {
  AddressField field;
  EXPECT_TRUE(field.blank());
  EXPECT_EQ(field.text(), "0.0.0.0");
  field.set({10, 1, 2, 3});
  field.setField(1, std::nullopt);
  EXPECT_EQ(field.octets(), (netsetup::Octets{10, 0, 2, 3}));
  EXPECT_EQ(field.text(), "10.0.2.3");
  field.clear();
  EXPECT_TRUE(field.blank());
}

TEST(AddressField, DottedTextFillsTheFieldsAsDecimalParts) {
  AddressField field;
  field.setText("192.168.001.020");
  EXPECT_EQ(field.text(), "192.168.1.20");
  field.setText("192.168.1.300");  // the control holds each field to 0-255
  EXPECT_EQ(field.text(), "192.168.1.255");
  field.setText("10.x.3");         // what is not a number stays blank
  EXPECT_EQ(field.text(), "10.0.3.0");
  field.setText("");
  EXPECT_TRUE(field.blank());
}

struct CheckCase {
  std::string what;
  const char* ip;
  const char* mask;
  const char* gateway;
  std::vector<SettingsProblem> problems;
};

std::vector<CheckCase> checkCases() {
  using P = SettingsProblem;
  return {
      {"sound settings", "192.168.1.20", "255.255.255.0", "192.168.1.1", {}},
      {"sound 16 bit subnet", "172.16.5.4", "255.255.0.0", "172.16.0.1", {}},
      {"mask with a hole", "192.168.1.20", "255.0.255.0", "192.168.1.1", {P::MaskNotContiguous}},
      {"mask with a stray low bit", "192.168.1.20", "255.255.255.1", "192.168.1.1",
       {P::MaskNotContiguous, P::GatewayOutsideSubnet}},
      {"gateway elsewhere", "192.168.1.20", "255.255.255.0", "192.168.2.1",
       {P::GatewayOutsideSubnet}},
      {"network address", "192.168.1.0", "255.255.255.0", "192.168.1.1", {P::AddressIsNetwork}},
      {"broadcast address", "10.255.255.255", "255.0.0.0", "10.0.0.1", {P::AddressIsBroadcast}},
      {"zero address", "0.0.0.0", "255.255.255.0", "0.0.0.1", {P::AddressIsZero}},
      {"31 bit subnet has no broadcast", "10.0.0.1", "255.255.255.254", "10.0.0.0", {}},
      {"32 bit subnet", "10.0.0.1", "255.255.255.255", "10.0.0.1", {}},
      {"no gateway", "192.168.1.20", "255.255.255.0", "0.0.0.0", {P::GatewayOutsideSubnet}},
  };
}

class CheckSettings : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckSettings, FindsWhatANetworkEngineerWould) {
  const auto& c = GetParam();
  EXPECT_EQ(netsetup::checkSettings(octets(c.ip), octets(c.mask), octets(c.gateway)), c.problems);
}

INSTANTIATE_TEST_SUITE_P(Settings, CheckSettings, ::testing::ValuesIn(checkCases()),
                         testing_support::CaseNameFrom<&CheckCase::what>{});

TEST(FieldArgument, TakesFourPartsEachBlankOrAnOctet) {
  EXPECT_EQ(netsetup::parseFieldArgument("192.168.1.20")->text(), "192.168.1.20");
  auto blank = netsetup::parseFieldArgument("192.168..20");
  ASSERT_TRUE(blank);
  EXPECT_EQ(blank->text(), "192.168.0.20");
  EXPECT_FALSE(blank->blank());
  EXPECT_TRUE(netsetup::parseFieldArgument("...")->blank());
  for (const char* bad : {"192.168.1.300", "192.168.1", "1.2.3.4.5", "0x1.2.3.4", "1.2.3.-4",
                          "1.2.3.0004", "", "a.b.c.d"}) {
    EXPECT_FALSE(netsetup::parseFieldArgument(bad)) << bad;
  }
}

TEST(Arguments, NameTheRunOrAreAUsageError) {
  std::string error;
  using Args = std::vector<std::string_view>;
  EXPECT_EQ(netsetup::parseArguments(Args{}, error)->kind, netsetup::RunKind::Dialog);
  EXPECT_EQ(netsetup::parseArguments(Args{"--find"}, error)->kind, netsetup::RunKind::Find);
  auto save = netsetup::parseArguments(Args{"--save", "10.0.0.5", "255.0.0.0", "10.0.0.1"}, error);
  ASSERT_TRUE(save);
  EXPECT_EQ(save->kind, netsetup::RunKind::Save);
  EXPECT_FALSE(save->force);
  EXPECT_EQ(save->gateway.text(), "10.0.0.1");
  auto forced = netsetup::parseArguments(
      Args{"--save", "10.0.0.5", "255.0.0.0", "10.0.0.1", "--force"}, error);
  EXPECT_TRUE(forced && forced->force);
  for (const Args& bad : {Args{"--find", "x"}, Args{"--save", "1.2.3.4"}, Args{"--force"},
                          Args{"--save", "1.2.3.4", "255.0.0.0", "1.2.3.400"},
                          Args{"--save", "1.2.3.4", "255.0.0.0", "1.2.3.1", "--fast"}}) {
    EXPECT_FALSE(netsetup::parseArguments(bad, error)) << bad.size();
  }
  EXPECT_EQ(error, "unknown arguments");
}

}  // namespace
}  // namespace netsetup_test

// A test of the setup tool against the scripted printer: a temporary root
// (with its win.ini folder), and the fake installed as the process's USB
// bus and connector for the test's length.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_setup_printer.h"
#include "net/connector.h"
#include "netsetup/setup_link.h"
#include "profile/profile.h"
#include "tests/support/temp_root.h"
#include "usb/bus.h"

namespace netsetup_test {

class SetupFixture : public ::testing::Test {
 protected:
  SetupFixture() {
    platform::usb::setUsbBus(&printer);
    platform::net::setConnector(&printer);
  }
  ~SetupFixture() override {
    platform::usb::setUsbBus(nullptr);
    platform::net::setConnector(nullptr);
  }

  void setLocalIp(const std::string& text) {
    platform::profile::writeProfileString(netsetup::kProfileSection, netsetup::kLocalIpKey, text);
  }
  // A key of section "DRVSTM_QZ3317VT"; "<missing>" when it is not there.
  std::string setupKey(std::string_view key) const {
    return platform::profile::getProfileString(netsetup::kProfileSection, key, "<missing>", 256);
  }

  testing_support::TempRoot root;
  FakeSetupPrinter printer;
};

// 192.168.1.20, the fake printer's network address.
inline platform::net::Endpoint printerAt9100() { return {{0xC0A80114}, 9100}; }

}  // namespace netsetup_test

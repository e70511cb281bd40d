// The link through the simulated bus holds no descriptor between
// transactions, whatever way a transaction ends.
#include <gtest/gtest.h>

#include <cstdlib>

#include "monitor/core/orvo_usb.h"
#include "tests/support/printer_fixture.h"

namespace {

std::size_t openDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

class LinkDescriptors : public testing_support::SimulatedPrinter {
 protected:
  LinkDescriptors() { ::setenv("QZ3317VT_USB", "sim", 1); }
};

TEST_F(LinkDescriptors, NoneLeftAfterTransactions) {
  startPrinter("reply.CSICValues? = no status here\\r\\n\nfault.OPCValues? = unplug-during-read\n");
  monitor::COrvoUsb usb(platform::usb::usbBus());
  usb.attachExchangeFile(root.exchangeFile());
  auto before = openDescriptors();
  ASSERT_EQ(usb.OpenLink(), 1);
  EXPECT_EQ(openDescriptors(), before) << "after the test open";
  EXPECT_TRUE(usb.Transact("Version?", 3));
  EXPECT_EQ(openDescriptors(), before) << "after a transaction";
  EXPECT_FALSE(usb.Transact("CSICValues?", 3));
  EXPECT_EQ(openDescriptors(), before) << "after a reply without status";
  EXPECT_FALSE(usb.Transact("OPCValues?", 3));
  EXPECT_EQ(openDescriptors(), before) << "after an unplug during the read";
  EXPECT_FALSE(usb.Transact("Status?", 3));
  EXPECT_EQ(openDescriptors(), before) << "after pipes that do not open";
  EXPECT_FALSE(usb.linkUsable());
}

}  // namespace

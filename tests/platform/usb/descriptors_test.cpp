// The parts of the libusb backend that need no device: identifier texts,
// device paths, endpoint choice, pipe names and the claim order.
#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include <string>
#include <vector>

#include "claim.h"
#include "descriptors.h"
#include "libusb/libusb_bus.h"
#include "usb/pipe_path.h"

namespace {

using namespace platform::usb;

TEST(HardwareIds, WindowsFormMostSpecificFirst) {
  auto check = [](DeviceIdentity identity, std::vector<std::string> expected) {
    EXPECT_EQ(hardwareIdsFor(identity), expected);
  };
  check({0x7A3C, 0x5B21, 0x0100}, {"USB\\VID_7A3C&PID_5B21&REV_0100", "USB\\VID_7A3C&PID_5B21"});
  // Lower-case hex in the descriptor comes out upper case and zero-padded.
  check({0x00ab, 0x000f, 0x1a2b}, {"USB\\VID_00AB&PID_000F&REV_1A2B", "USB\\VID_00AB&PID_000F"});
  check({0xFFFF, 0xFFFF, 0xFFFF}, {"USB\\VID_FFFF&PID_FFFF&REV_FFFF", "USB\\VID_FFFF&PID_FFFF"});
}

constexpr std::uint8_t kBulk = 2;
constexpr std::uint8_t kInterrupt = 3;

struct EndpointCase {
  const char* what;
  std::vector<InterfaceInfo> interfaces;
  std::optional<PipeEndpoints> expected;
};

class EndpointChoice : public ::testing::TestWithParam<EndpointCase> {};

TEST_P(EndpointChoice, FirstTwoWaySettingOfTheFirstInterfaceOfTheClass) {
  auto got = choosePipeEndpoints(GetParam().interfaces, 7);
  ASSERT_EQ(got.has_value(), GetParam().expected.has_value());
  if (!got) return;
  EXPECT_EQ(got->interfaceNumber, GetParam().expected->interfaceNumber);
  EXPECT_EQ(got->altSetting, GetParam().expected->altSetting);
  EXPECT_EQ(got->outEndpoint, GetParam().expected->outEndpoint);
  EXPECT_EQ(got->inEndpoint, GetParam().expected->inEndpoint);
  EXPECT_EQ(got->selectSetting, GetParam().expected->selectSetting);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EndpointChoice,
    ::testing::Values(
        EndpointCase{"plain printer", {{0, 0, 7, {{0x01, kBulk}, {0x82, kBulk}}}}, PipeEndpoints{0, 0, 0x01, 0x82}},
        EndpointCase{"interrupt endpoints are skipped",
                     {{0, 0, 7, {{0x83, kInterrupt}, {0x02, kBulk}, {0x81, kBulk}, {0x04, kBulk}}}},
                     PipeEndpoints{0, 0, 0x02, 0x81}},
        EndpointCase{"imaging interface first",
                     {{0, 0, 6, {{0x01, kBulk}, {0x81, kBulk}}}, {1, 0, 7, {{0x03, kBulk}, {0x84, kBulk}}}},
                     PipeEndpoints{1, 0, 0x03, 0x84}},
        EndpointCase{"first interface of the class lacks bulk IN",
                     {{0, 0, 7, {{0x01, kBulk}}}, {1, 0, 7, {{0x02, kBulk}, {0x82, kBulk}}}},
                     std::nullopt},
        EndpointCase{"no interface of the class", {{0, 0, 8, {{0x01, kBulk}, {0x81, kBulk}}}}, std::nullopt},
        EndpointCase{"one way setting 0, two way setting 1",
                     {{0, 0, 7, {{0x01, kBulk}}}, {0, 1, 7, {{0x01, kBulk}, {0x82, kBulk}}}},
                     PipeEndpoints{0, 1, 0x01, 0x82, true}},
        // Setting 0 is two-way too: it is chosen, and still selected, since
        // whoever had the interface may have left setting 1 in place.
        EndpointCase{"two settings both two way",
                     {{0, 0, 7, {{0x01, kBulk}, {0x81, kBulk}}}, {0, 1, 7, {{0x02, kBulk}, {0x82, kBulk}}}},
                     PipeEndpoints{0, 0, 0x01, 0x81, true}},
        EndpointCase{"no setting two way",
                     {{0, 0, 7, {{0x01, kBulk}}}, {0, 1, 7, {{0x81, kBulk}, {0x83, kInterrupt}}}},
                     std::nullopt},
        EndpointCase{"settings of a later interface do not count",
                     {{0, 0, 7, {{0x01, kBulk}}}, {1, 1, 7, {{0x02, kBulk}, {0x82, kBulk}}}},
                     std::nullopt}),
    [](const auto& param) {
      std::string name = param.param.what;
      for (char& c : name) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(DevicePath, NamesBusPortsConfigurationAndInterface) {
  InterfaceLocation location{3, {1, 4}, 1, 0};
  EXPECT_EQ(devicePathFor(location), "usb:3-1.4:1.0");
  EXPECT_EQ(parseDevicePath("usb:3-1.4:1.0"), location);
  EXPECT_EQ(parseDevicePath(devicePathFor({255, {7, 7, 7, 7, 7, 7, 7}, 2, 13})),
            (InterfaceLocation{255, {7, 7, 7, 7, 7, 7, 7}, 2, 13}));
  for (const char* bad : {"", "usb:3-1.4:1", "usb:3-:1.0", "usb:256-1:1.0", "usb:3-1.4:1.0x",
                          "sim:1:7", "usb:3-1..4:1.0"}) {
    EXPECT_EQ(parseDevicePath(bad), std::nullopt) << bad;
  }
}

TEST(PipeNames, SuffixesNameKindAndClass) {
  auto check = [](std::string_view path, std::string_view device, PipeKind kind,
                  std::optional<InterfaceClass> cls) {
    PipeName name = parsePipeName(path);
    EXPECT_EQ(name.devicePath, device) << path;
    EXPECT_EQ(name.kind, kind) << path;
    EXPECT_EQ(name.suffixClass, cls) << path;
  };
  check("dev\\PIPE00", "dev", PipeKind::WritePipe, InterfaceClass::Printing);
  check("dev\\PIPE01", "dev", PipeKind::ReadPipe, InterfaceClass::Printing);
  check("dev\\1", "dev", PipeKind::WritePipe, InterfaceClass::Imaging);
  check("dev\\0", "dev", PipeKind::ReadPipe, InterfaceClass::Imaging);
  check("dev", "dev", PipeKind::Interface, std::nullopt);
  check("dev\\PIPE02", "dev\\PIPE02", PipeKind::Interface, std::nullopt);
  // A suffix alone is no pipe of any device.
  check("\\PIPE00", "\\PIPE00", PipeKind::Interface, std::nullopt);
  EXPECT_FALSE(accessFitsPipe(PipeKind::WritePipe, Access::Read));
  EXPECT_FALSE(accessFitsPipe(PipeKind::ReadPipe, Access::Write));
  EXPECT_TRUE(accessFitsPipe(PipeKind::ReadPipe, Access::ReadWrite));
  EXPECT_TRUE(accessFitsPipe(PipeKind::Interface, Access::Read));
}

// Records the calls, and fails the ones it is told to fail.
class RecordingOperations : public ClaimOperations {
 public:
  bool driverBound = true;
  bool detachWorks = true;
  bool claimWorks = true;
  std::vector<std::string> calls;

  bool kernelDriverActive(std::uint8_t n) override { return record("active", n), driverBound; }
  bool detachKernelDriver(std::uint8_t n) override { return record("detach", n), detachWorks; }
  bool claimInterface(std::uint8_t n) override { return record("claim", n), claimWorks; }
  void releaseInterface(std::uint8_t n) override { record("release", n); }
  void attachKernelDriver(std::uint8_t n) override { record("attach", n); }

 private:
  void record(const char* what, std::uint8_t n) { calls.push_back(what + std::to_string(n)); }
};

using Calls = std::vector<std::string>;

Calls claimAndRelease(RecordingOperations& operations, bool& claimed) {
  {
    InterfaceClaim claim(operations, 1);
    claimed = claim.claimed();
  }
  return operations.calls;
}

TEST(InterfaceClaim, DetachClaimReleaseReattachInOrder) {
  bool claimed = false;
  RecordingOperations bound;
  EXPECT_EQ(claimAndRelease(bound, claimed),
            (Calls{"active1", "detach1", "claim1", "release1", "attach1"}));
  EXPECT_TRUE(claimed);

  RecordingOperations unbound;
  unbound.driverBound = false;
  EXPECT_EQ(claimAndRelease(unbound, claimed), (Calls{"active1", "claim1", "release1"}));
  EXPECT_TRUE(claimed);
}

TEST(InterfaceClaim, FailureUndoesWhatWasDone) {
  bool claimed = true;
  RecordingOperations claimFails;
  claimFails.claimWorks = false;
  // The driver goes back at once, and nothing is released that was not claimed.
  EXPECT_EQ(claimAndRelease(claimFails, claimed), (Calls{"active1", "detach1", "claim1", "attach1"}));
  EXPECT_FALSE(claimed);

  RecordingOperations detachFails;
  detachFails.detachWorks = false;
  EXPECT_EQ(claimAndRelease(detachFails, claimed), (Calls{"active1", "detach1"}));
  EXPECT_FALSE(claimed);
}

TEST(LibusbBus, UnknownPathsOpenNothing) {
  auto bus = makeLibusbBus();
  // With or without a USB subsystem here, listing must not fail hard.
  auto devices = bus->listDevices(InterfaceClass::Printing);
  if (devices) {
    for (const auto& entry : *devices) EXPECT_TRUE(entry.devicePath->starts_with("usb:"));
  }
  EXPECT_EQ(bus->open("usb:250-9.9:1.0\\PIPE00", Access::Write), nullptr);
  EXPECT_EQ(bus->open("sim:1:7\\PIPE00", Access::Write), nullptr);
}

}  // namespace

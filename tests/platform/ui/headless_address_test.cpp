// Address fields on the headless host: what the user may type and what the
// dialog reads back, by the rules of ui/dialog_template.h.
#include <gtest/gtest.h>

#include <sstream>

#include "ui/headless_host.h"

namespace {

using platform::ui::ControlKind;

class Events final : public platform::ui::WindowEvents {
 public:
  void onInitDialog() override {}
  void onCommand(int) override {}
  void onTimer(int) override {}
  void onClose() override {}
  void onSystemCommand(int) override {}
  void onMinimised() override {}
  void onNotifyIcon(int, platform::ui::IconMouse) override {}
  void onDrawItem(int, platform::ui::Painter&, const platform::ui::Rect&) override {}
  std::optional<platform::ui::Rgb> onControlColour(int) override { return std::nullopt; }
  void onDestroy() override {}
};

struct TypeCase {
  const char* name;
  const char* line;
  bool accepted;
  const char* reads;
};

class HeadlessAddressField : public ::testing::TestWithParam<TypeCase> {
 protected:
  void SetUp() override {
    dialog.controls = {{1003, ControlKind::AddressField, {1, 1, 100, 15}, "", true, true, true, true},
                       {1004, ControlKind::AddressField, {1, 20, 100, 15}, "", true, false, true, false}};
    window = host.createWindow(dialog, events);
    window->setControlText(1003, "10.0.0.1");
    window->show(platform::ui::ShowMode::Normal);
  }
  platform::ui::DialogTemplate dialog{1, "f", {120, 40}, "MS Shell Dlg", 8, false, false, {}, {}};
  std::ostringstream out;
  platform::ui::HeadlessHost host{{-1, &out, nullptr, nullptr}};
  Events events;
  std::unique_ptr<platform::ui::HostWindow> window;
};

TEST_P(HeadlessAddressField, TypedOctets) {
  EXPECT_EQ(host.dispatch(GetParam().line), GetParam().accepted) << out.str();
  EXPECT_EQ(window->controlText(1003), GetParam().reads);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HeadlessAddressField,
    ::testing::Values(TypeCase{"FourOctets", "type 1003 192.168.1.20", true, "192.168.1.20"},
                      TypeCase{"BlankOctetReadsAs0", "type 1003 192.168..20", true, "192.168.0.20"},
                      TypeCase{"AllBlank", "type 1003 ...", true, "0.0.0.0"},
                      TypeCase{"Refuses256", "type 1003 192.168.1.256", false, "10.0.0.1"},
                      TypeCase{"RefusesLetters", "type 1003 192.x.1.2", false, "10.0.0.1"},
                      TypeCase{"RefusesFiveParts", "type 1003 1.2.3.4.5", false, "10.0.0.1"},
                      TypeCase{"RefusesADisabledField", "type 1004 1.2.3.4", false, "10.0.0.1"},
                      TypeCase{"RefusesAStaticOrUnknownId", "type 9 1.2.3.4", false, "10.0.0.1"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(HeadlessAddressText, SettingClampsAndKeepsBlanks) {
  platform::ui::DialogTemplate dialog{1, "f", {120, 40}, "MS Shell Dlg", 8, false, false, {}, {}};
  dialog.controls = {{1003, ControlKind::AddressField, {1, 1, 100, 15}, "", true, true, true, true}};
  std::ostringstream out;
  platform::ui::HeadlessHost host{{-1, &out, nullptr, nullptr}};
  Events events;
  auto window = host.createWindow(dialog, events);
  EXPECT_EQ(window->controlText(1003), "0.0.0.0") << "created blank";
  window->setControlText(1003, "192.168.001.020");
  EXPECT_EQ(window->controlText(1003), "192.168.1.20");
  window->setControlText(1003, "300.1");
  EXPECT_EQ(window->controlText(1003), "255.1.0.0");
}

}  // namespace

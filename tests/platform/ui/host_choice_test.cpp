// Which host a built program runs on: the desktop module only where it can
// start, the headless host otherwise with the reason on standard error, and
// no toolkit library linked into any program.
#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace {

using testing_support::runProgram;

struct ChoiceCase {
  const char* name;
  std::map<std::string, std::string> env;
  const char* reason;  // on standard error; empty for none
};

class HostChoice : public ::testing::TestWithParam<ChoiceCase> {};

// A "JBG"-free STM run with no input: the headless host ends the window at
// the end of its input, so the run is short.
TEST_P(HostChoice, FallsBackToTheHeadlessHostAndSaysWhy) {
  testing_support::TempRoot root;
  auto env = GetParam().env;
  env["QZ3317VT_ROOT"] = root.path().string();
  env["QZ3317VT_USB"] = "sim";
  env["QZ3317VT_UI_TICKS"] = "driven";
  auto run = runProgram({QZ_MONITOR, "STM"}, env);
  EXPECT_NE(run.out.find("dialog 140 "), std::string::npos) << "the headless host runs:\n" << run.out;
  if (*GetParam().reason == '\0') {
    EXPECT_EQ(run.err.find("QZ3317VT_UI"), std::string::npos) << run.err;
  } else {
    EXPECT_NE(run.err.find(GetParam().reason), std::string::npos) << run.err;
  }
}

// Without a choice, a display brings the desktop host: here Qt's offscreen
// platform, whose window saves its picture and ends.
TEST(HostChoiceDefault, ADisplayBringsTheDesktopHost) {
  testing_support::TempRoot root;
  auto picture = root.path() / "window.png";
  auto run = runProgram({QZ_MONITOR, "STM"},
                        {{"QZ3317VT_ROOT", root.path().string()}, {"QZ3317VT_USB", "sim"},
                         {"QZ3317VT_UI", ""}, {"QT_QPA_PLATFORM", "offscreen"},
                         {"QZ3317VT_UI_SNAPSHOT", picture.string()},
                         {"XDG_RUNTIME_DIR", root.path().string()},
                         {"LSAN_OPTIONS", "suppressions=" QZ_TOOLKIT_LEAKS}});
  EXPECT_EQ(run.out.find("dialog 140 "), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::exists(picture)) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Choices, HostChoice,
    ::testing::Values(
        ChoiceCase{"DesktopWithoutADisplay",
                   {{"QZ3317VT_UI", "desktop"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
                   "QZ3317VT_UI=desktop: no display"},
        ChoiceCase{"DesktopWithAnUnreachableDisplay",
                   {{"QZ3317VT_UI", "desktop"}, {"DISPLAY", ":999"}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
                   "the X display :999 cannot be opened"},
        ChoiceCase{"DesktopModuleMissing",
                   {{"QZ3317VT_UI", "desktop"}, {"QT_QPA_PLATFORM", "offscreen"},
                    {"QZ3317VT_UI_MODULE", "/nonexistent/qz3317vt_ui_desktop.so"}},
                   "the desktop module cannot be loaded"},
        ChoiceCase{"UnknownHost", {{"QZ3317VT_UI", "fancy"}}, "QZ3317VT_UI=fancy names no dialog host"},
        ChoiceCase{"NoChoiceAndNoDisplay",
                   {{"QZ3317VT_UI", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
                   ""},
        ChoiceCase{"NoChoiceAndAnUnreachableDisplay",
                   {{"QZ3317VT_UI", ""}, {"DISPLAY", ":999"}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
                   "the X display :999 cannot be opened"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(HostChoiceLinks, NoProgramLinksTheToolkit) {
  for (const char* program : {QZ_MONITOR, QZ_RECORDER, QZ_SETUP}) {
    auto libraries = runProgram({"/usr/bin/ldd", program}).out;
    ASSERT_FALSE(libraries.empty()) << program;
    EXPECT_EQ(libraries.find("libQt"), std::string::npos) << program << ":\n" << libraries;
  }
}

}  // namespace

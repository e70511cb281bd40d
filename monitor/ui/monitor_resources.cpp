// The status window's templates and its images, drawn once in code: the
// printer on a coloured background.
#include "monitor/ui/monitor_resources.h"

#include <map>

namespace monitor {

using platform::ui::ControlKind;
using platform::ui::ControlTemplate;

namespace {

ControlTemplate control(int id, ControlKind kind, int x, int y, int w, int h, const char* text,
                        bool visible, bool tabStop = false) {
  return {id, kind, {x, y, w, h}, text, visible, true, tabStop, false};
}

platform::ui::DialogTemplate makeStatusDialog() {
  constexpr auto Static = ControlKind::StaticText;
  constexpr auto Group = ControlKind::GroupBox;
  constexpr auto Button = ControlKind::PushButton;
  platform::ui::DialogTemplate d;
  d.id = kStatusDialogId;
  d.caption = kWindowCaption;
  d.units = {300, 190};
  d.fontName = "MS Shell Dlg";
  d.fontPoints = 8;
  d.minimiseBox = true;
  d.contextHelp = true;
  d.controls = {
      control(kIdPicture, ControlKind::OwnerDrawnButton, 10, 1, 70, 75, "image", true, true),
      control(kIdTitle, Static, 75, 15, 200, 8, "Paper Jam", true),
      control(kIdInformation, Static, 75, 30, 200, 54, "Remove jammed paper and close top cover.", true),
      control(kIdConsumablesGroup, Group, 75, 70, 200, 52, "耗材", false),
      control(kIdOrder, Button, 228, 83, 40, 14, "订购&O", false, true),
      control(kIdTonerLabel, Static, 85, 85, 80, 8, "剩余墨粉:", false),
      control(kIdTonerRemain, Static, 165, 85, 15, 8, "100", false),
      control(kIdTonerUnit, Static, 185, 85, 10, 8, "%", false),
      control(kIdDrumLabel, Static, 85, 105, 80, 8, "剩余硒鼓:", false),
      control(kIdDrumRemain, Static, 165, 105, 15, 8, "100", false),
      control(kIdDrumUnit, Static, 185, 105, 10, 8, "%", false),
      control(kIdJobGroup, Group, 75, 68, 200, 70, "打印机信息", false),
      control(kIdCopiesLabel, Static, 85, 78, 70, 8, "份数:", false),
      control(kIdCopies, Static, 165, 78, 30, 8, "1", false),
      control(kIdCollation, Static, 202, 78, 34, 8, "(Collated)", false),
      control(kIdQualityLabel, Static, 85, 90, 70, 8, "打印质量:", false),
      control(kIdResolution, Static, 165, 90, 100, 8, "600x600dpi", false),
      control(kIdSizeLabel, Static, 85, 101, 70, 8, "纸张尺寸:", false),
      control(kIdPaperSize, Static, 165, 101, 100, 8, "A4", false),
      control(kIdSourceLabel, Static, 85, 113, 70, 8, "纸张来源:", false),
      control(kIdPaperSource, Static, 165, 113, 100, 8, "Auto", false),
      control(kIdTypeLabel, Static, 85, 124, 70, 8, "纸张类型:", false),
      control(kIdPaperType, Static, 165, 124, 100, 8, "Plain Paper", false),
      control(kIdSecondContinue, Button, 120, 148, 70, 14, "继续打印&R", false, true),
      control(kIdFirstContinue, Button, 120, 148, 70, 14, "继续打印&t", false, true),
      control(kIdCancel, Button, 204, 148, 70, 14, "取消打印&l", false, false),
      control(kIdClose, ControlKind::DefaultPushButton, 205, 168, 70, 14, "关闭&C", true, true),
  };
  d.controls.back().startsGroup = true;
  return d;
}

// A printer drawn in grey over `background`: body, paper tray and the
// scanner lid, with a sheet of paper coming out.
platform::ui::Image drawPrinter(int id, int width, int height, std::uint32_t background) {
  platform::ui::Image image{id, width, height,
                            std::vector<std::uint32_t>(static_cast<std::size_t>(width * height),
                                                       background)};
  auto fill = [&](int x0, int y0, int x1, int y1, std::uint32_t colour) {
    for (int y = y0 * height / 100; y < y1 * height / 100; ++y)
      for (int x = x0 * width / 100; x < x1 * width / 100; ++x)
        image.pixels[static_cast<std::size_t>(y * width + x)] = colour;
  };
  fill(15, 25, 85, 35, 0xFF505050u);  // scanner lid
  fill(10, 35, 90, 75, 0xFF909090u);  // body
  fill(20, 75, 80, 82, 0xFF606060u);  // paper tray
  fill(30, 15, 70, 25, 0xFFFFFFFFu);  // sheet
  fill(70, 45, 82, 50, 0xFF30C030u);  // lamp
  return image;
}

}  // namespace

const platform::ui::DialogTemplate& statusDialogTemplate() {
  static const auto dialog = makeStatusDialog();
  return dialog;
}

const platform::ui::MenuTemplate& trayMenuTemplate() {
  static const platform::ui::MenuTemplate menu{
      kTrayMenuId, "状态窗口", {{kMenuOpen, "打开"}, {kMenuExit, "退出"}}};
  return menu;
}

const platform::ui::Image* loadImageResource(int id) {
  static const std::map<int, platform::ui::Image> images{
      {kPictureGreen, drawPrinter(kPictureGreen, 70, 75, 0xFF20A040u)},
      {kPictureRed, drawPrinter(kPictureRed, 70, 75, 0xFFD02020u)},
      {kPictureYellow, drawPrinter(kPictureYellow, 70, 75, 0xFFE0C020u)},
      {kTrayIconId, drawPrinter(kTrayIconId, 32, 32, 0x00000000u)},
  };
  auto it = images.find(id);
  return it == images.end() ? nullptr : &it->second;
}

}  // namespace monitor

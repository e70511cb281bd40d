// Templates the programs hand to the framework: a dialog with its controls,
// a pop-up menu, and images for pictures and icons. A template is plain data
// owned by the program; the framework and the hosts only carry it out.
//
// All texts are UTF-8. In control texts an "&" marks the next character as
// the control's access key ("&&" is a literal "&"); hosts show or ignore the
// mark as their toolkit does, and report texts as they were set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/geometry.h"

namespace platform::ui {

enum class ControlKind {
  StaticText,
  GroupBox,
  PushButton,
  DefaultPushButton,  // the button that the Enter key activates
  OwnerDrawnButton,   // drawn by the dialog on each paint request
  AddressField,       // an IPv4 address: four octet fields, each blank or 0-255
};

// The text of an address field is the dotted-decimal rendering of its four
// octets, a blank octet read as 0 ("0.0.0.0" when all are blank). Setting a
// text fills the four fields from its dotted parts: a part above 255 becomes
// 255, as the field enforces the range, and a missing or non-numeric part
// leaves its field blank ("192.168.001.020" shows as 192.168.1.20). Setting
// an empty text blanks all four. The user cannot enter an octet above 255.

struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::StaticText;
  Rect units;  // position and size in dialog units
  std::string text;
  bool visible = true;
  bool enabled = true;
  bool tabStop = false;
  bool startsGroup = false;
};

struct MenuItem {
  int commandId = 0;
  std::string text;
};

// The controls are in tab order. The system menu items follow the window's
// own items of its system menu (after a separator); picking one is a system
// command (WindowEvents::onSystemCommand). A desktop whose window manager
// owns that menu offers them in the window's context menu instead.
struct DialogTemplate {
  int id = 0;
  std::string caption;
  Size units;  // client area in dialog units
  std::string fontName;
  int fontPoints = 8;
  bool minimiseBox = false;
  bool contextHelp = false;
  std::vector<ControlTemplate> controls;
  std::vector<MenuItem> systemMenu;
};

// A pop-up menu: its own title (not shown when the menu pops up) and items.
struct MenuTemplate {
  int id = 0;
  std::string title;
  std::vector<MenuItem> items;
};

// A picture or icon in 32-bit 0xAARRGGBB pixels, rows from the top. The id
// names the resource it came from: a host without a screen reports it, and
// a desktop host that carries a designed image of that id draws the designed
// one, so the pixels are what shows where no designed image exists.
struct Image {
  int id = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height
};

}  // namespace platform::ui

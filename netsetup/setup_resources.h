// The setup tool's dialog templates: dialog 102 (the setup dialog) and
// dialog 100 (the about box), with their captions, fonts and controls, and
// the text of the system menu's about item.
#pragma once

#include <string>

#include "ui/dialog_template.h"

namespace netsetup {

inline constexpr int kSetupDialogId = 102;
inline constexpr int kAboutDialogId = 100;
// The control id of controls the dialog never addresses (the group boxes,
// the about box's icon and text).
inline constexpr int kIdStatic = -1;
// The about item of the system menu; its command id with the low four bits
// masked off.
inline constexpr int kIdAboutCommand = 0x0010;

const platform::ui::DialogTemplate& setupDialogTemplate();
const platform::ui::DialogTemplate& aboutDialogTemplate();
// String 101, UTF-8.
const std::string& aboutItemText();

}  // namespace netsetup

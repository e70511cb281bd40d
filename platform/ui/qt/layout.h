// Dialog units on the desktop: the template's font on this screen and the
// base units measured from it, as a dialog manager lays out templates.
#pragma once

#include <QFont>

#include "ui/dialog_template.h"
#include "ui/geometry.h"

namespace platform::ui::qt {

// The template's face and size; faces a Linux desktop lacks ("MS Shell
// Dlg", "宋体") fall back to a CJK sans-serif face so Chinese texts render.
QFont templateFont(const DialogTemplate& dialog);

// Average character width (of the 52 Latin letters, rounded) and height of
// `font` in pixels on the screen.
BaseUnits baseUnits(const QFont& font);

}  // namespace platform::ui::qt

// The images designed for the programs (pictures and icons, compiled into
// the module from SVG sources) and the conversion of a template's pixels.
#pragma once

#include <QIcon>
#include <QImage>
#include <optional>

#include "ui/dialog_template.h"

namespace platform::ui::qt {

// The designed bitmap or the largest size of the designed icon `id`.
std::optional<QImage> designedImage(int id);
// The designed icon `id` in all its sizes; null when there is none.
QIcon designedIcon(int id);
QImage toQImage(const Image& image);
// What shows for `image`: the designed one of its id, else its pixels.
QImage imageFor(const Image& image);
QIcon iconFor(const Image& image);

}  // namespace platform::ui::qt

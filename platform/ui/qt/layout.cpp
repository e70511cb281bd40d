// Template fonts and their base units.
#include "layout.h"

#include <QFontMetrics>
#include <QStringList>

namespace platform::ui::qt {

QFont templateFont(const DialogTemplate& dialog) {
  QFont font;
  font.setFamilies({QString::fromStdString(dialog.fontName), QStringLiteral("WenQuanYi Micro Hei"),
                    QStringLiteral("Noto Sans CJK SC"), QStringLiteral("sans-serif")});
  font.setPointSize(dialog.fontPoints);
  return font;
}

BaseUnits baseUnits(const QFont& font) {
  QFontMetrics metrics(font);
  static const QString letters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  int width = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
  return {width, metrics.height()};
}

}  // namespace platform::ui::qt

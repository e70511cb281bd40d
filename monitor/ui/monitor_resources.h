// The status window's resources: dialog template 140 with its control ids,
// menu 841, the three status pictures and the notification icon. Texts are
// UTF-8, as the dialog framework takes them.
#pragma once

#include "ui/dialog_template.h"

namespace monitor {

enum ControlId : int {
  kIdPicture = 1401,
  kIdTitle = 1402,
  kIdInformation = 1403,
  kIdConsumablesGroup = 1404,
  kIdOrder = 1405,
  kIdTonerLabel = 1406,
  kIdTonerRemain = 1407,
  kIdTonerUnit = 1408,
  kIdDrumLabel = 1409,
  kIdDrumRemain = 1410,
  kIdDrumUnit = 1411,
  kIdJobGroup = 1412,
  kIdCopiesLabel = 1413,
  kIdCopies = 1414,
  kIdCollation = 1415,
  kIdQualityLabel = 1416,
  kIdResolution = 1417,
  kIdSizeLabel = 1418,
  kIdPaperSize = 1419,
  kIdSourceLabel = 1420,
  kIdPaperSource = 1421,
  kIdTypeLabel = 1422,
  kIdPaperType = 1423,
  kIdFirstContinue = 1424,
  kIdSecondContinue = 1425,
  kIdCancel = 1426,
  kIdClose = 1427,
};

inline constexpr int kStatusDialogId = 140;
inline constexpr int kTrayMenuId = 841;
inline constexpr int kTrayIconId = 840;
inline constexpr int kWindowIconId = 105;  // asked for and not shipped
inline constexpr int kMenuOpen = 32776;
inline constexpr int kMenuExit = 32774;
inline constexpr int kStatusTimer = 101;

inline constexpr int kPictureGreen = 328;
inline constexpr int kPictureRed = 329;
inline constexpr int kPictureYellow = 330;

// The window's caption, also the icon's tip.
inline constexpr const char* kWindowCaption = "QZ3317VT打印机状态监视";

const platform::ui::DialogTemplate& StatusDialogTemplate();
const platform::ui::MenuTemplate& TrayMenuTemplate();

// One of the three pictures (70 x 75) or the icon (32 x 32); nullptr for an
// id the program does not ship (105 among them).
const platform::ui::Image* LoadImageResource(int id);

}  // namespace monitor

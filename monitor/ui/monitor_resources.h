// The status window's resources: dialog template 140 with its control ids,
// menu 841, the three status pictures and the notification icon. Texts are
// UTF-8, as the dialog framework takes them.
#pragma once

#include "ui/dialog_template.h"

namespace monitor {

// Control ids of dialog template 140.
inline constexpr int kIdPicture = 1401;
inline constexpr int kIdTitle = 1402;
inline constexpr int kIdInformation = 1403;
inline constexpr int kIdConsumablesGroup = 1404;
inline constexpr int kIdOrder = 1405;
inline constexpr int kIdTonerLabel = 1406;
inline constexpr int kIdTonerRemain = 1407;
inline constexpr int kIdTonerUnit = 1408;
inline constexpr int kIdDrumLabel = 1409;
inline constexpr int kIdDrumRemain = 1410;
inline constexpr int kIdDrumUnit = 1411;
inline constexpr int kIdJobGroup = 1412;
inline constexpr int kIdCopiesLabel = 1413;
inline constexpr int kIdCopies = 1414;
inline constexpr int kIdCollation = 1415;
inline constexpr int kIdQualityLabel = 1416;
inline constexpr int kIdResolution = 1417;
inline constexpr int kIdSizeLabel = 1418;
inline constexpr int kIdPaperSize = 1419;
inline constexpr int kIdSourceLabel = 1420;
inline constexpr int kIdPaperSource = 1421;
inline constexpr int kIdTypeLabel = 1422;
inline constexpr int kIdPaperType = 1423;
inline constexpr int kIdFirstContinue = 1424;
inline constexpr int kIdSecondContinue = 1425;
inline constexpr int kIdCancel = 1426;
inline constexpr int kIdClose = 1427;

inline constexpr int kStatusDialogId = 140;
inline constexpr int kTrayMenuId = 841;
inline constexpr int kTrayIconId = 840;
inline constexpr int kWindowIconId = 105;  // a designed image of the desktop host
inline constexpr int kMenuOpen = 32776;
inline constexpr int kMenuExit = 32774;
inline constexpr int kStatusTimer = 101;

inline constexpr int kPictureGreen = 328;
inline constexpr int kPictureRed = 329;
inline constexpr int kPictureYellow = 330;

// The window's caption, also the icon's tip.
inline constexpr const char* kWindowCaption = "QZ3317VT打印机状态监视";

const platform::ui::DialogTemplate& statusDialogTemplate();
const platform::ui::MenuTemplate& trayMenuTemplate();

// One of the three pictures (70 x 75) or the icon (32 x 32); nullptr for an
// id the program does not ship (105 among them).
const platform::ui::Image* loadImageResource(int id);

}  // namespace monitor

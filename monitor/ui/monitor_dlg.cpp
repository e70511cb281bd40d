// The status window: initialisation, timer, evaluation, tray icon and the
// operator's actions.
#include "monitor/ui/monitor_dlg.h"

#include <ctime>

#include "base/command_start.h"
#include "base/registry.h"
#include "monitor/core/request_words.h"
#include "monitor/core/status_table.h"
#include "monitor/ui/job_info.h"
#include "monitor/ui/message_texts.h"
#include "monitor/ui/monitor_resources.h"
#include "monitor/ui/order_site.h"
#include "monitor/ui/status_evaluation.h"
#include "profile/profile.h"
#include "text/codepage.h"

namespace monitor {

namespace profile = platform::profile;
using platform::ui::ShowMode;

namespace {

constexpr std::chrono::milliseconds kTickPeriod{1000};
constexpr std::int32_t kNoUsbPortCode = 5003;
constexpr std::int32_t kCommErrorCode = 50001;
constexpr std::size_t kWebsiteLimit = 259;
// Values are read whole and then cut on a character boundary, so a long
// value never ends in half a character.
constexpr std::size_t kReadBuffer = 4096;

}  // namespace

CMonitorDlg::CMonitorDlg(CPPL_W3& printer, bool alertMode, std::int16_t portNumber,
                         platform::base::Clock& clock, platform::ui::Host& host)
    : Dialog(statusDialogTemplate(), host), printer_(printer), clock_(clock),
      alertFlag_(alertMode ? 1 : 0), portNumber_(portNumber) {}

CMonitorDlg::~CMonitorDlg() { destroyWindow(); }

void CMonitorDlg::WriteStatusCommand() {
  writeMessageKey("msgCmd", std::to_string(static_cast<int>(kStatus)));
}

void CMonitorDlg::writeMessageKey(const char* key, const std::string& value) {
  // A failed write is ignored: the driver reads the keys it finds.
  profile::writeString(printer_.exchangeFile(), "DRVMSG", key, value);
}

void CMonitorDlg::onInitDialog() {
  Dialog::onInitDialog();
  // Icon 105 comes with the desktop host's images; elsewhere the caption
  // keeps the host's own icon.
  setIcon(kWindowIconId);
  ResetDailyReminders();
  AddTrayIcon();
  resultWritten_ = false;
  writeMessageKey("msgWorking", "1");
  popupPending_ = !isMinimised();
  openedByUser_ = false;
  RefreshStatus(1);
  doDataExchange();
  enableControl(kIdOrder, !readWebsite().empty());
  monitorTime_ = static_cast<std::int16_t>(readMonitorTime());
  setTimer(kStatusTimer, kTickPeriod);
  PlaceWindow();
}

void CMonitorDlg::doDataExchange() {
  setItemText(kIdTitle, platform::text::ansiToUtf8(titleText_));
  setItemText(kIdInformation, platform::text::ansiToUtf8(informationText_));
}

void CMonitorDlg::PlaceWindow() {
  auto client = clientSize();
  auto metrics = screen();
  int bottom = metrics.workArea.y + metrics.workArea.height;
  int taskbar = metrics.fullHeight - bottom;
  moveWindow({metrics.screen.width - client.width,
              metrics.screen.height - client.height - taskbar - 30});
}

std::int32_t CMonitorDlg::readMonitorTime() const {
  return profile::getInt(printer_.exchangeFile(), "DRVDRV", "MonitorTime", 3);
}

std::string CMonitorDlg::readWebsite() const {
  return cutAnsi(profile::getString(printer_.resourceFile(), "WEBSITE", "current", "", kReadBuffer),
                 kWebsiteLimit);
}

void CMonitorDlg::onTimer(int id) {
  if (id != kStatusTimer) return;
  if (!tickFlag_) {
    tickFlag_ = true;
    RefreshStatus(1);
    ShowJobInfo();
    doDataExchange();
    invalidate();
    tickFlag_ = false;
  }
  auto before = monitorTime_;
  monitorTime_ = static_cast<std::int16_t>(readMonitorTime());
  if (monitorTime_ != before) {
    killTimer(kStatusTimer);
    setTimer(kStatusTimer, kTickPeriod);
  }
}

int CMonitorDlg::RefreshStatus(std::int32_t flag) {
  if (flag == 0) return 1;
  const auto& file = printer_.exchangeFile();
  tonerLowNotice_ = static_cast<std::int16_t>(profile::getInt(file, "DRVDRV", "TonerLow", 2));

  std::int32_t code;
  if (portNumber_ == 0) {
    code = kNoUsbPortCode;
    shownIndex_ = 0;
  } else {
    code = profile::getInt(file, "DRVMSG", "msgCode", 10001);
    // A communication error the driver reports is ignored while the
    // printer is on the bus.
    if (code == kCommErrorCode && printer_.usb().IsPrinterPresent()) code = 0;
  }
  auto& status = printer_.usb().status();
  status.count = 1;
  status.entries[0].code = code;
  printing_ = profile::getInt(file, "DRVSPA", "Printing", 0);

  auto row = EvaluateStatus();
  const auto& entry = kStatusTable[static_cast<std::size_t>(row)];
  if (alertFlag_ != 0 && (entry.messageIndex == kRowReady || entry.messageIndex == kRowPrinting)) {
    killTimer(kStatusTimer);
    onOk();
    return 1;
  }

  const auto& fields = printer_.fields();
  bool unchanged = row == shownIndex_ && fields.paperSource == drawnPaperSource_ &&
                   fields.paperSize == drawnPaperSize_ && fields.tonerRemaining == drawnTonerRemain_ &&
                   fields.drumRemaining == drawnDrumRemain_;
  if (unchanged && status.entries[0].code == kCommErrorCode && !openedByUser_)
    showWindow(ShowMode::Hide);
  auto step = nextRedrawStep(unchanged, printing_ != 0, redrawSkipCounter_);
  redrawSkipCounter_ = step.counter;
  if (step.redraw) redraw(row);
  return 1;
}

void CMonitorDlg::redraw(std::int16_t row) {
  const auto& fields = printer_.fields();
  drawnPaperSource_ = fields.paperSource;
  drawnPaperSize_ = fields.paperSize;
  drawnTonerRemain_ = fields.tonerRemaining;
  drawnDrumRemain_ = fields.drumRemaining;
  shownIndex_ = row;
  ComposeMessageTexts(row);
  setItemNumber(kIdTonerRemain, static_cast<unsigned>(fields.tonerRemaining));
  setItemNumber(kIdDrumRemain, static_cast<unsigned>(fields.drumRemaining));
  setItemText(kIdCopies, "");
  setItemText(kIdCollation, "  ");
  for (int id : {kIdResolution, kIdPaperSize, kIdPaperSource, kIdPaperType}) setItemText(id, "");

  const auto& buttons = kStatusTable[static_cast<std::size_t>(row)].buttons;
  if (printing_ != 0) {
    showControl(kIdFirstContinue, buttons[kButtonFirstContinue] != 0);
    showControl(kIdSecondContinue, buttons[kButtonSecondContinue] != 0);
    showControl(kIdCancel, buttons[kButtonCancel] != 0);
    showControl(kIdClose, buttons[kButtonClose] != 0);
    setTopmost(topmostFlag_);
  } else {
    redrawSkipCounter_ = 0;
    showControl(kIdFirstContinue, false);
    showControl(kIdSecondContinue, false);
    showControl(kIdCancel, false);
    showControl(kIdClose, buttons[kButtonClose] != 0);
  }
}

std::int16_t CMonitorDlg::EvaluateStatus() {
  topmostFlag_ = false;
  chosenEntry_ = 0;
  const auto& status = printer_.usb().status();
  auto chosen = chooseStatusEntry(status);
  if (chosen.found) {
    chosenEntry_ = chosen.entry;
    topmostFlag_ = chosen.topmost;
  }
  auto chosenCode = status.entries[static_cast<std::size_t>(chosenEntry_)].code;
  auto row = printer_.FindStatusRow(chosenCode);

  if (alertFlag_ == 0 && row != 0) {
    const auto& entry = kStatusTable[static_cast<std::size_t>(row)];
    if (lastPopupCode_ != entry.code) {
      popupPending_ = true;
      lastPopupCode_ = entry.code;
    }
    bool alarming = entry.kind == StatusKind::Error || entry.kind == StatusKind::Warning;
    if (alarming && chosenCode != kCommErrorCode) {
      if (popupPending_) popUp();
    } else if (!openedByUser_) {
      showWindow(ShowMode::Hide);
    }
  }
  return chosen.found ? row : shownIndex_;
}

void CMonitorDlg::popUp() {
  showWindow(ShowMode::Normal);
  PlaceWindow();
  popupPending_ = false;
}

void CMonitorDlg::ComposeMessageTexts(std::int16_t row) {
  const auto& resource = printer_.resourceFile();
  auto read = [&](const std::string& key) {
    return cutAnsi(profile::getString(resource, "FW_MSG", key, "", kReadBuffer), kResourceValueLimit);
  };
  auto texts = composeMessageTexts(kStatusTable[static_cast<std::size_t>(row)], read);
  titleText_ = std::move(texts.title);
  informationText_ = std::move(texts.information);
}

void CMonitorDlg::ShowJobInfo() {
  const auto& file = printer_.exchangeFile();
  auto read = [&](const char* key, int fallback) {
    return profile::getInt(file, "JobInfo", key, fallback);
  };
  int x = read("xResolution", 0);
  int y = read("yResolution", 600);
  int copies = read("Copies", 1);
  bool zoomed = read("ZoomOptions", 0) != 0;
  int size = zoomed ? read("ZoomPaperSize", 0) : read("PaperSize", 0);
  int source = read("PaperSource", 0);
  int type = read("PaperType", 0);
  setItemText(kIdResolution, resolutionText(x, y));
  setItemText(kIdCopies, std::to_string(copies));
  setItemText(kIdPaperSource, paperSourceText(source));
  setItemText(kIdPaperType, paperTypeText(type));
  setItemText(kIdPaperSize, paperSizeText(size));
}

void CMonitorDlg::onDrawItem(int controlId, platform::ui::Painter& painter,
                             const platform::ui::Rect& item) {
  if (controlId != kIdPicture) return;
  auto kind = kStatusTable[static_cast<std::size_t>(shownIndex_)].kind;
  const auto* bitmap = loadImageResource(pictureForKind(kind));
  // A missing bitmap leaves the area to the default drawing.
  if (bitmap == nullptr) return;
  painter.drawImage(*bitmap, pictureRect(item, bitmap->width, bitmap->height));
}

std::optional<platform::ui::Rgb> CMonitorDlg::onControlColour(int controlId) {
  if (controlId == kIdInformation) return platform::ui::Rgb{0, 0, 255};
  return std::nullopt;
}

void CMonitorDlg::onMinimised() { showWindow(ShowMode::Hide); }

void CMonitorDlg::onDestroy() {
  killTimer(kStatusTimer);
  RemoveTrayIcon();
}

// Tray icon.

bool CMonitorDlg::AddTrayIcon() {
  trayIcon_ = {kTrayIconId, loadImageResource(kTrayIconId), kWindowCaption};
  return addNotifyIcon(trayIcon_);
}

bool CMonitorDlg::RemoveTrayIcon() { return removeNotifyIcon(kTrayIconId); }

void CMonitorDlg::onNotifyIcon(int /*iconId*/, platform::ui::IconMouse event) {
  using platform::ui::IconMouse;
  if (event == IconMouse::LeftDoubleClick) {
    showWindow(ShowMode::Normal);
    PlaceWindow();
    openedByUser_ = true;
  } else if (event == IconMouse::RightUp) {
    ShowTrayMenu();
  }
}

void CMonitorDlg::ShowTrayMenu() {
  auto at = cursorPosition();
  bringToForeground();
  showPopupMenu(trayMenuTemplate(), at);
}

void CMonitorDlg::openFromTray() {
  showWindow(ShowMode::Normal);
  PlaceWindow();
}

void CMonitorDlg::exitFromTray() {
  RemoveTrayIcon();
  writeMessageKey("STMreaddata", "0");
  postQuit();
}

// Operator actions.

void CMonitorDlg::onControlCommand(int id) {
  switch (id) {
    case kIdFirstContinue: return continueFirst();
    case kIdSecondContinue: return continueSecond();
    case kIdCancel: return cancelJob();
    case kIdClose: return closeAction();
    case kIdOrder: return orderConsumables();
    case kMenuOpen: return openFromTray();
    case kMenuExit: return exitFromTray();
    default: return;  // 1401, the picture, does nothing
  }
}

void CMonitorDlg::continueFirst() {
  writeMessageKey("msgResult", "0");
  FinishInteraction();
}

void CMonitorDlg::continueSecond() {
  writeMessageKey("msgResult", "0");
  FinishInteraction();
}

void CMonitorDlg::cancelJob() {
  auto sending = profile::getInt(printer_.exchangeFile(), "DRVMSG", "msgSending", 0);
  if (sending != 0) {
    writeMessageKey("msgResult", "4");
  } else {
    // Its outcome is not used: "68" tells the driver the job was dropped
    // here, whether or not the printer answered.
    printer_.SendCancelJob();
    writeMessageKey("msgResult", "68");
  }
  FinishInteraction();
}

void CMonitorDlg::FinishInteraction() {
  writeMessageKey("msgRun", "0");
  resultWritten_ = true;
  if (alertFlag_ != 0) {
    onOk();
    return;
  }
  writeMessageKey("msgCode", "1001");
  onTimer(kStatusTimer);
}

void CMonitorDlg::closeAction() {
  openedByUser_ = false;
  auto before = redrawSkipCounter_;
  redrawSkipCounter_ = static_cast<std::int8_t>(before > 10 ? 0 : before + 1);
  if (!resultWritten_) {
    writeMessageKey("msgResult", "0");
    resultWritten_ = true;
  }
  writeMessageKey("msgWorking", "0");
  writeMessageKey("msgRun", "0");
  showWindow(ShowMode::Hide);
}

void CMonitorDlg::onClose() { closeAction(); }

void CMonitorDlg::onOk() {
  if (!resultWritten_) {
    writeMessageKey("msgResult", "0");
    resultWritten_ = true;
  }
  writeMessageKey("msgWorking", "0");
  writeMessageKey("msgRun", "0");
  endDialog(platform::ui::kCommandOk);
}

void CMonitorDlg::onCancel() {
  writeMessageKey("msgResult", "0");
  writeMessageKey("msgRun", "0");
  writeMessageKey("msgWorking", "0");
  endDialog(platform::ui::kCommandCancel);
}

void CMonitorDlg::ResetDailyReminders() {
  auto now = std::chrono::system_clock::to_time_t(clock_.wallNow());
  std::tm local{};
  localtime_r(&now, &local);
  int year = local.tm_year + 1900;
  int month = local.tm_mon + 1;
  int day = local.tm_mday;
  const auto& file = printer_.exchangeFile();
  if (profile::getInt(file, "DRVSET", "Year", 0) == year &&
      profile::getInt(file, "DRVSET", "Month", 0) == month &&
      profile::getInt(file, "DRVSET", "Day", 0) == day)
    return;
  profile::writeString(file, "DRVSET", "Year", std::to_string(year));
  profile::writeString(file, "DRVSET", "Month", std::to_string(month));
  profile::writeString(file, "DRVSET", "Day", std::to_string(day));
  profile::writeString(file, "DRVSET", "TonerLow", "0");
  profile::writeString(file, "DRVSET", "PopupOrder", "0");
}

void CMonitorDlg::orderConsumables() { OpenOrderSite(readWebsite()); }

bool CMonitorDlg::OpenOrderSite(const std::string& address) {
  auto line = orderCommandLine(platform::base::registry(), address);
  // The started program reads its arguments in the desktop's encoding,
  // UTF-8 here, where a Windows start converts to the OEM code page.
  return platform::base::commandStarter().start(platform::text::ansiToUtf8(line)) > 31;
}

void RunStatusWindow(CPPL_W3& printer, const StatusWindowRequest& request) {
  CMonitorDlg window(printer, request.alertMode, request.portNumber);
  if (request.requestStatusFirst) window.WriteStatusCommand();
  window.DoModal();
}

}  // namespace monitor

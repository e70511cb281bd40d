// CMonitorDlg: the status window of the "STM" and "ALE" run modes.
//
// Once a second its timer re-reads the status code the driver keeps in the
// exchange file, turns it into texts, a picture and buttons, pops the window
// up for errors and warnings (or, in alert mode, ends it on a ready or
// printing status), and fills the job information group. A notification
// icon brings the window back or ends the program; the buttons carry the
// operator's answer back to the driver through "DRVMSG".
//
// The window is the process's only one, so the values that the evaluation
// keeps for the whole process (the tick flag, the last pop-up code and the
// topmost flag) live in it. Texts read from the resource text file stay in
// code page 936 until they are handed to a control.
#pragma once

#include <cstdint>
#include <string>

#include "base/clock.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/core/stm_app.h"
#include "ui/dialog.h"

namespace monitor {

class CMonitorDlg : public platform::ui::Dialog {
 public:
  CMonitorDlg(CPPL_W3& printer, bool alertMode, std::int16_t portNumber,
              platform::base::Clock& clock = platform::base::systemClock(),
              platform::ui::Host& host = platform::ui::host());
  ~CMonitorDlg() override;

  // Asks the driver for a "Status?" exchange: "msgCmd" = 49 in "DRVMSG".
  void WriteStatusCommand();

  // Runs the window until it ends; the framework's result.
  int DoModal() { return doModal(); }

  // Window operations of the status window.
  void PlaceWindow();
  int RefreshStatus(std::int32_t flag);
  void ShowJobInfo();
  std::int16_t EvaluateStatus();
  void ComposeMessageTexts(std::int16_t row);
  bool AddTrayIcon();
  bool RemoveTrayIcon();
  void ShowTrayMenu();
  void FinishInteraction();
  void ResetDailyReminders();
  bool OpenOrderSite(const std::string& address);

  // What the window holds, for tests and the benchmark.
  std::int16_t shownIndex() const { return shownIndex_; }
  bool popupPending() const { return popupPending_; }
  bool openedByUser() const { return openedByUser_; }
  bool resultWritten() const { return resultWritten_; }
  std::int8_t redrawSkipCounter() const { return redrawSkipCounter_; }
  std::int32_t lastPopupCode() const { return lastPopupCode_; }
  const std::string& titleText() const { return titleText_; }
  const std::string& informationText() const { return informationText_; }

 protected:
  void onInitDialog() override;
  void doDataExchange() override;
  void onTimer(int id) override;
  void onControlCommand(int id) override;
  void onOk() override;
  void onCancel() override;
  void onClose() override;
  void onMinimised() override;
  void onNotifyIcon(int iconId, platform::ui::IconMouse event) override;
  void onDrawItem(int controlId, platform::ui::Painter& painter,
                  const platform::ui::Rect& item) override;
  std::optional<platform::ui::Rgb> onControlColour(int controlId) override;
  void onDestroy() override;

 private:
  // Operator actions.
  void continueFirst();
  void continueSecond();
  void cancelJob();
  void closeAction();
  void orderConsumables();
  void openFromTray();
  void exitFromTray();

  void redraw(std::int16_t row);
  void popUp();
  std::int32_t readMonitorTime() const;
  std::string readWebsite() const;
  void writeMessageKey(const char* key, const std::string& value);

  CPPL_W3& printer_;
  platform::base::Clock& clock_;

  std::int8_t alertFlag_;
  std::int16_t shownIndex_ = 0;
  std::int16_t drawnPaperSource_ = 0;
  std::int16_t drawnPaperSize_ = 0;
  std::int32_t drawnTonerRemain_ = 100;
  std::int32_t drawnDrumRemain_ = 100;
  std::int16_t portNumber_;
  std::int32_t chosenEntry_ = 0;
  bool popupPending_ = true;
  bool openedByUser_ = false;
  bool resultWritten_ = false;
  std::int8_t redrawSkipCounter_ = 0;
  std::int16_t tonerLowNotice_ = 2;
  std::int16_t monitorTime_ = 3;
  std::int32_t printing_ = 0;
  std::string titleText_;
  std::string informationText_;
  platform::ui::NotifyIcon trayIcon_;

  // Process-wide values of the evaluation.
  bool tickFlag_ = false;
  std::int32_t lastPopupCode_ = 0;
  bool topmostFlag_ = false;
};

// The status window step of start-up: construct, prepare, run, destroy.
void RunStatusWindow(CPPL_W3& printer, const StatusWindowRequest& request);

}  // namespace monitor

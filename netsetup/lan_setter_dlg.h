// Clan_setterDlg, the setup dialog (template 102) on the dialog framework:
// its buttons run the setup workflow, which drives the dialog's controls
// through the SetupView it implements. CAboutDlg is the about box (template
// 100) that the system menu's about item opens.
#pragma once

#include <string>

#include "netsetup/setup_view.h"
#include "netsetup/setup_workflow.h"
#include "ui/dialog.h"

namespace netsetup {

class CAboutDlg final : public platform::ui::Dialog {
 public:
  explicit CAboutDlg(platform::ui::Host& host = platform::ui::host());
};

class Clan_setterDlg final : public platform::ui::Dialog, public SetupView {
 public:
  explicit Clan_setterDlg(platform::ui::Host& host = platform::ui::host());

  // SetupView: the workflow's texts are in code page 936, the host's UTF-8.
  void setText(int control, const std::string& text) override;
  void enable(int control, bool enabled) override { enableControl(control, enabled); }
  // An address field's text is its dotted rendering, and setting one
  // follows the field's own rules (ui/dialog_template.h).
  void setAddress(int field, const Octets& octets) override { setItemText(field, dotted(octets)); }
  void setAddressText(int field, const std::string& text) override { setItemText(field, text); }
  void clearAddress(int field) override { setItemText(field, ""); }
  Octets address(int field) override;
  std::string addressText(int field) override { return itemText(field); }
  void showMessage(const std::string& text) override;
  bool confirm(const std::string& text) override;

 protected:
  void onInitDialog() override;
  void onControlCommand(int id) override;
  void onSystemCommand(int id) override;

 private:
  platform::ui::Host& host_;
  SetupWorkflow workflow_{*this};
};

}  // namespace netsetup

// The setup dialog and the about box on the dialog framework.
#include "netsetup/lan_setter_dlg.h"

#include "netsetup/address_field.h"
#include "netsetup/setup_resources.h"
#include "netsetup/setup_texts.h"
#include "text/codepage.h"

namespace netsetup {

using platform::ui::MessageBoxRequest;
using platform::ui::MessageIcon;

namespace {

MessageBoxRequest warningBox(const std::string& text) {
  return {platform::text::ansiToUtf8(texts::caption()), platform::text::ansiToUtf8(text),
          MessageIcon::None};
}

}  // namespace

CAboutDlg::CAboutDlg(platform::ui::Host& host) : Dialog(aboutDialogTemplate(), host) {}

Clan_setterDlg::Clan_setterDlg(platform::ui::Host& host)
    : Dialog(setupDialogTemplate(), host), host_(host) {}

void Clan_setterDlg::onInitDialog() {
  Dialog::onInitDialog();
  workflow_.initDialog();
}

void Clan_setterDlg::onControlCommand(int id) {
  switch (id) {
    case kIdFind:
      workflow_.findDevice();
      break;
    case kIdSave:
      workflow_.saveSettings();
      break;
    case kIdQueryLocalIp:
      workflow_.queryLocalIp();
      break;
    default:
      break;
  }
}

void Clan_setterDlg::onSystemCommand(int id) {
  // System command ids keep their low four bits for the system's own use.
  if ((id & ~0xF) != kIdAboutCommand) return;
  CAboutDlg about(host_);
  about.doModal();
}

void Clan_setterDlg::setText(int control, const std::string& text) {
  setItemText(control, platform::text::ansiToUtf8(text));
}

Octets Clan_setterDlg::address(int field) {
  AddressField value;
  value.setText(itemText(field));
  return value.octets();
}

void Clan_setterDlg::showMessage(const std::string& text) { messageBox(warningBox(text)); }

bool Clan_setterDlg::confirm(const std::string& text) { return askYesNo(warningBox(text)); }

}  // namespace netsetup

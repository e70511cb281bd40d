// The setup tool's start-up.
#include "netsetup/lan_setter_app.h"

#include "netsetup/lan_setter_dlg.h"

namespace netsetup {

bool Clan_setterApp::InitInstance() {
  Clan_setterDlg dialog(host_);
  dialog.doModal();
  return false;
}

}  // namespace netsetup

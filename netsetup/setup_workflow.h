// The setup dialog's actions, apart from any toolkit: find device, save the
// network settings, query the local driver IP, and resetting the dialog.
//
// Each action opens a CSetupLink of its own (USB when the printer's imaging
// interface is found, else a TCP probe to the local driver IP), runs its
// exchanges, shows the outcome through the view and drops the link. Nothing
// is carried from one action to the next but what the controls show and
// the keys "PrintPortInUse" and "Connect".
//
// Beyond the dialog's own rules, save checks the new settings first
// (netsetup/settings_check.h): when they look wrong, the view is asked once
// whether to send them anyway, and a No ends the action with nothing sent
// and nothing changed.
#pragma once

#include <string>

#include "netsetup/setup_link.h"
#include "netsetup/setup_view.h"

namespace netsetup {

enum class FindOutcome { Read, NotConnected, CommunicationError };
enum class SaveOutcome { Sent, NotSent, NotConnected, Declined };

class SetupWorkflow {
 public:
  explicit SetupWorkflow(SetupView& view) : view_(view) {}

  // What OnInitDialog does to the controls: disables fields 1003-1005.
  void initDialog();
  // Button 1000: reads the printer's addresses and MAC address.
  FindOutcome findDevice();
  // Button 1001: sends fields 1003-1005 to the printer.
  SaveOutcome saveSettings();
  // Button 1015: shows the local driver IP in field 1016.
  void queryLocalIp();
  // The status text, the bare labels, cleared and disabled fields.
  void resetDialog(const std::string& status);

 private:
  // Opens the link: USB mode when found, else a probe in network mode,
  // closed at once. The ready flag says whether the printer answers.
  void openLink(CSetupLink& link);
  // Reads up to 51 replies until one begins with the tag test; false when
  // a read brings nothing. The last reply read stays in `reply`.
  bool readTagged(CSetupLink& link, ReplyBuffer& reply, bool (*tagged)(const ReplyBuffer&));
  void showAddresses(const AddressReply& addresses);
  void readMac(CSetupLink& link);
  void compareLocalIp(const std::string& localIp, const std::string& printerIp);
  void setBareLabels();
  void enableDeviceArea(bool enabled);
  // False when the checks found problems and the view declined to send.
  bool settingsAccepted(const Octets& ip, const Octets& mask, const Octets& gateway);

  SetupView& view_;
};

// The local driver IP, read with room for 15 characters; empty when none.
std::string readLocalDriverIp();

}  // namespace netsetup

// The setup workflow: the dialog's actions over CSetupLink.
#include "netsetup/setup_workflow.h"

#include <array>

#include "netsetup/settings_check.h"
#include "netsetup/setup_texts.h"
#include "profile/profile.h"

namespace netsetup {

namespace {

// At most this many replies are read for one query.
constexpr int kMaxReplies = 51;

constexpr std::array<int, 11> kDeviceArea{kIdMac,       kIdCurrentIp,    kIdCurrentMask,
                                          kIdCurrentGateway, kIdIpLabel, kIdMaskLabel,
                                          kIdGatewayLabel,   kIdIpField, kIdMaskField,
                                          kIdGatewayField,   kIdSave};
constexpr std::array<int, 3> kAddressFields{kIdIpField, kIdMaskField, kIdGatewayField};

}  // namespace

std::string readLocalDriverIp() {
  return platform::profile::getProfileString(kProfileSection, kLocalIpKey, "", kLocalIpBuffer);
}

void SetupWorkflow::initDialog() {
  for (int field : kAddressFields) view_.enable(field, false);
}

void SetupWorkflow::openLink(CSetupLink& link) {
  if (link.FindUsbDevice()) {
    link.setMode(LinkMode::Usb);
    return;
  }
  link.setMode(LinkMode::Network);
  // Each command opens a connection of its own: the probe only tells
  // whether the printer answers.
  if (link.ConnectTcp()) link.closeConnection();
}

bool SetupWorkflow::readTagged(CSetupLink& link, ReplyBuffer& reply,
                               bool (*tagged)(const ReplyBuffer&)) {
  for (int count = 1; count <= kMaxReplies; ++count) {
    reply.fill(0);
    if (!link.ReadReply(reply)) return false;
    if (tagged(reply)) return true;
  }
  // The last reply counts as the one looked for all the same.
  return true;
}

FindOutcome SetupWorkflow::findDevice() {
  std::string localIp = readLocalDriverIp();
  view_.enable(kIdLocalIpField, false);
  CSetupLink link;
  openLink(link);
  if (!link.ready()) {
    view_.showMessage(texts::notConnected());
    resetDialog(texts::notConnected());
    return FindOutcome::NotConnected;
  }
  ReplyBuffer reply{};
  if (!link.SendCommand(checkIpCommand()) || !readTagged(link, reply, isAddressReply)) {
    resetDialog(texts::communicationError());
    return FindOutcome::CommunicationError;
  }
  view_.setText(kIdStatusLine, texts::connected());
  AddressReply addresses = parseAddressReply(reply);
  showAddresses(addresses);
  readMac(link);
  compareLocalIp(localIp, dotted(addresses.ip));
  enableDeviceArea(true);
  return FindOutcome::Read;
}

void SetupWorkflow::showAddresses(const AddressReply& addresses) {
  view_.setText(kIdCurrentIp, texts::currentIpLabel() + dotted(addresses.ip));
  view_.setAddress(kIdIpField, addresses.ip);
  view_.setText(kIdCurrentMask, texts::currentMaskLabel() + dotted(addresses.mask));
  view_.setAddress(kIdMaskField, addresses.mask);
  view_.setText(kIdCurrentGateway, texts::currentGatewayLabel() + dotted(addresses.gateway));
  view_.setAddress(kIdGatewayField, addresses.gateway);
}

// A MAC address that cannot be read is not reported: the line keeps its text.
void SetupWorkflow::readMac(CSetupLink& link) {
  if (!link.SendCommand(checkMacCommand())) return;
  ReplyBuffer reply{};
  if (!readTagged(link, reply, isMacReply)) return;
  view_.setText(kIdMac, texts::macLabel() + macText(reply));
}

// The comparison is exact text: 192.168.001.020 is not 192.168.1.20.
void SetupWorkflow::compareLocalIp(const std::string& localIp, const std::string& printerIp) {
  if (localIp.empty()) {
    view_.showMessage(texts::driverNotInstalled());
    return;
  }
  view_.setAddressText(kIdLocalIpField, localIp);
  if (localIp != printerIp) view_.showMessage(texts::addressMismatch());
}

SaveOutcome SetupWorkflow::saveSettings() {
  Octets ip = view_.address(kIdIpField);
  Octets mask = view_.address(kIdMaskField);
  Octets gateway = view_.address(kIdGatewayField);
  if (!settingsAccepted(ip, mask, gateway)) return SaveOutcome::Declined;
  CSetupLink link;
  openLink(link);
  SaveOutcome outcome = SaveOutcome::NotConnected;
  if (!link.ready()) {
    view_.setText(kIdStatusLine, texts::notConnected());
    setBareLabels();
  } else {
    view_.setText(kIdCurrentIp, texts::currentIpLabel() + dotted(ip));
    view_.setText(kIdCurrentMask, texts::currentMaskLabel() + dotted(mask));
    view_.setText(kIdCurrentGateway, texts::currentGatewayLabel() + dotted(gateway));
    std::string newLocalIp = view_.addressText(kIdIpField);
    bool sent = link.SendCommand(setIpCommand(ip, mask, gateway));
    // The printer's answer to the set command is read and not evaluated.
    if (link.mode() == LinkMode::Network) {
      ReplyBuffer discarded{};
      link.ReadReply(discarded);
    }
    if (sent) {
      view_.setText(kIdStatusLine, texts::saveSucceeded());
      platform::profile::writeProfileString(kProfileSection, kLocalIpKey, newLocalIp);
      outcome = SaveOutcome::Sent;
    } else {
      view_.setText(kIdStatusLine, texts::saveFailed());
      setBareLabels();
      outcome = SaveOutcome::NotSent;
    }
  }
  for (int field : kAddressFields) view_.clearAddress(field);
  enableDeviceArea(false);
  return outcome;
}

bool SetupWorkflow::settingsAccepted(const Octets& ip, const Octets& mask, const Octets& gateway) {
  auto problems = checkSettings(ip, mask, gateway);
  if (problems.empty()) return true;
  std::string question = texts::sendAnywayIntro();
  for (auto problem : problems) question += "\r\n" + problemText(problem);
  question += "\r\n" + texts::sendAnywayQuestion();
  return view_.confirm(question);
}

void SetupWorkflow::queryLocalIp() {
  std::string localIp = readLocalDriverIp();
  if (!localIp.empty()) {
    view_.setAddressText(kIdLocalIpField, localIp);
  } else {
    view_.showMessage(texts::driverNotInstalled());
  }
  view_.enable(kIdLocalIpField, false);
}

void SetupWorkflow::resetDialog(const std::string& status) {
  view_.setText(kIdStatusLine, status);
  setBareLabels();
  for (int field : kAddressFields) view_.clearAddress(field);
  enableDeviceArea(false);
}

void SetupWorkflow::setBareLabels() {
  view_.setText(kIdMac, texts::macLabel());
  view_.setText(kIdCurrentIp, texts::currentIpLabel());
  view_.setText(kIdCurrentMask, texts::currentMaskLabel());
  view_.setText(kIdCurrentGateway, texts::currentGatewayLabel());
}

void SetupWorkflow::enableDeviceArea(bool enabled) {
  for (int control : kDeviceArea) view_.enable(control, enabled);
}

}  // namespace netsetup

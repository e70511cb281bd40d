// The headless controls of dialog 102.
#include "netsetup/setup_form.h"

#include "netsetup/setup_texts.h"

namespace netsetup {

SetupForm::SetupForm() {
  texts_ = {{kIdStatusLine, texts::welcome()},
            {kIdCurrentIp, texts::currentIpLabel()},
            {kIdCurrentMask, texts::currentMaskLabel()},
            {kIdCurrentGateway, texts::currentGatewayLabel()},
            {kIdMac, texts::macLabel()}};
  for (int control : {kIdSave, kIdIpLabel, kIdMaskLabel, kIdGatewayLabel, kIdCurrentIp,
                      kIdCurrentMask, kIdCurrentGateway, kIdMac, kIdLocalIpLabel}) {
    enabled_[control] = false;
  }
  for (int field : {kIdIpField, kIdMaskField, kIdGatewayField, kIdLocalIpField}) {
    fields_[field] = AddressField();
  }
}

void SetupForm::showMessage(const std::string& text) {
  if (onMessage_) onMessage_(text);
}

bool SetupForm::confirm(const std::string& text) { return onConfirm_ && onConfirm_(text); }

std::string SetupForm::text(int control) const {
  auto it = texts_.find(control);
  return it == texts_.end() ? std::string() : it->second;
}

bool SetupForm::enabled(int control) const {
  auto it = enabled_.find(control);
  return it == enabled_.end() || it->second;
}

}  // namespace netsetup

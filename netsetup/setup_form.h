// The controls of dialog 102 as data: texts, enabled states and address
// fields, as the template and OnInitDialog leave them. A headless run of
// the workflow (the command line, tests) drives this form; message boxes go
// to the handlers the owner gives.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "netsetup/address_field.h"
#include "netsetup/setup_view.h"

namespace netsetup {

class SetupForm final : public SetupView {
 public:
  using MessageHandler = std::function<void(const std::string& text)>;
  using ConfirmHandler = std::function<bool(const std::string& text)>;

  // The template's texts and states; fields 1003-1005 still enabled, as
  // before OnInitDialog.
  SetupForm();

  void onMessage(MessageHandler handler) { onMessage_ = std::move(handler); }
  void onConfirm(ConfirmHandler handler) { onConfirm_ = std::move(handler); }

  void setText(int control, const std::string& text) override { texts_[control] = text; }
  void enable(int control, bool enabled) override { enabled_[control] = enabled; }
  void setAddress(int field, const Octets& octets) override { fields_[field].set(octets); }
  void setAddressText(int field, const std::string& dotted) override {
    fields_[field].setText(dotted);
  }
  void clearAddress(int field) override { fields_[field].clear(); }
  Octets address(int field) override { return fields_[field].octets(); }
  std::string addressText(int field) override { return fields_[field].text(); }
  void showMessage(const std::string& text) override;
  bool confirm(const std::string& text) override;

  // What the controls hold now; an unknown control has no text and is
  // enabled.
  std::string text(int control) const;
  bool enabled(int control) const;
  const AddressField& field(int field) const { return fields_.at(field); }
  AddressField& field(int field) { return fields_[field]; }

 private:
  std::map<int, std::string> texts_;
  std::map<int, bool> enabled_;
  std::map<int, AddressField> fields_;
  MessageHandler onMessage_;
  ConfirmHandler onConfirm_;
};

}  // namespace netsetup

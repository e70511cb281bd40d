// What the setup workflow needs of its dialog: the controls of dialog 102
// by id, and message boxes modal to it. Texts are in code page 936.
//
// The dialog on the framework implements this over its controls; SetupForm
// (netsetup/setup_form.h) holds the same controls as data for headless runs.
#pragma once

#include <string>

#include "netsetup/setup_commands.h"

namespace netsetup {

class SetupView {
 public:
  virtual ~SetupView() = default;

  // Static texts.
  virtual void setText(int control, const std::string& text) = 0;
  // Any control.
  virtual void enable(int control, bool enabled) = 0;

  // Address fields: set from four octets or from dotted text, clear, read
  // the four octets (a blank one as 0), read the dotted text.
  virtual void setAddress(int field, const Octets& octets) = 0;
  virtual void setAddressText(int field, const std::string& dotted) = 0;
  virtual void clearAddress(int field) = 0;
  virtual Octets address(int field) = 0;
  virtual std::string addressText(int field) = 0;

  // A box with caption "WARNING", no icon and an OK button; returns once it
  // is closed.
  virtual void showMessage(const std::string& text) = 0;
  // A box with caption "WARNING" and Yes and No buttons; true for Yes.
  virtual bool confirm(const std::string& text) = 0;
};

}  // namespace netsetup

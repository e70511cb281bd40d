// The desktop's controls that Qt has no widget for as they are: a static
// text that asks its colour at each painting, an owner-drawn button that
// the dialog paints, and an IPv4 address field of four octet fields.
#pragma once

#include <QAbstractButton>
#include <QFrame>
#include <QLineEdit>
#include <QValidator>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "ui/geometry.h"
#include "ui/host.h"

namespace platform::ui::qt {

// Left-aligned, word-wrapped text; "&x" shows x underlined, "&&" an "&".
// Disabled, it is greyed out.
class StaticControl final : public QWidget {
 public:
  using Colour = std::function<std::optional<Rgb>()>;
  StaticControl(QWidget* parent, Colour colour);
  void setText(const QString& text);
  const QString& text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Colour colour_;
  QString text_;
};

// A button whose face the dialog draws through a Painter on each paint.
class PictureButton final : public QAbstractButton {
 public:
  using Draw = std::function<void(Painter&, const Rect&)>;
  PictureButton(QWidget* parent, Draw draw);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Draw draw_;
};

// Accepts a blank octet or 0-255 in decimal; anything else is refused as
// it is typed.
class OctetValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override;
};

// Four octet fields separated by dots. Typing three digits or a dot moves
// to the next field. The field is one tab stop. Its text follows the
// address-field rules of ui/dialog_template.h.
class AddressEdit final : public QFrame {
 public:
  explicit AddressEdit(QWidget* parent);
  void setText(const std::string& dotted);
  std::string text() const;
  QLineEdit* octet(int index) const { return octets_[static_cast<std::size_t>(index)]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void advanceFrom(int index);
  std::array<QLineEdit*, 4> octets_{};
};

}  // namespace platform::ui::qt

// Static texts, owner-drawn buttons and address fields on Qt widgets.
#include "controls.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include "common/address_text.h"
#include "images.h"

namespace platform::ui::qt {

namespace {

// A Painter on a QPainter: designed images take the place of the pixels.
class WidgetPainter final : public Painter {
 public:
  explicit WidgetPainter(QPainter& painter) : painter_(painter) {}
  void drawImage(const Image& image, const Rect& target) override {
    painter_.drawImage(QRect(target.x, target.y, target.width, target.height), imageFor(image));
  }

 private:
  QPainter& painter_;
};

}  // namespace

StaticControl::StaticControl(QWidget* parent, Colour colour)
    : QWidget(parent), colour_(std::move(colour)) {}

void StaticControl::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void StaticControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QColor pen = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                               QPalette::WindowText);
  if (isEnabled()) {
    if (auto chosen = colour_()) pen = QColor(chosen->red, chosen->green, chosen->blue);
  }
  painter.setPen(pen);
  painter.setFont(font());
  // Lines end in "\r\n" as the programs write them.
  QString shown = text_;
  shown.remove(QLatin1Char('\r'));
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic,
                   shown);
}

PictureButton::PictureButton(QWidget* parent, Draw draw)
    : QAbstractButton(parent), draw_(std::move(draw)) {}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  WidgetPainter surface(painter);
  draw_(surface, {0, 0, width(), height()});
}

QValidator::State OctetValidator::validate(QString& input, int&) const {
  std::optional<std::uint8_t> octet;
  return typedOctet(input.toStdString(), octet) ? Acceptable : Invalid;
}

AddressEdit::AddressEdit(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 0, 2, 0);
  row->setSpacing(0);
  auto* validator = new OctetValidator(this);
  for (std::size_t i = 0; i < octets_.size(); ++i) {
    if (i > 0) {
      auto* dot = new QLabel(QStringLiteral("."), this);
      dot->setBackgroundRole(QPalette::Base);
      row->addWidget(dot);
    }
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("octet%1").arg(i));
    edit->setFrame(false);
    edit->setAlignment(Qt::AlignCenter);
    edit->setMaxLength(3);
    edit->setValidator(validator);
    edit->installEventFilter(this);
    // The field is one tab stop: its first octet takes the focus.
    if (i > 0) edit->setFocusPolicy(Qt::ClickFocus);
    int index = static_cast<int>(i);
    connect(edit, &QLineEdit::textEdited, this, [this, index](const QString& text) {
      if (text.size() == 3) advanceFrom(index);
    });
    row->addWidget(edit, 1);
    octets_[i] = edit;
  }
  setFocusProxy(octets_[0]);
}

void AddressEdit::setText(const std::string& dotted) {
  auto fields = dotted.empty() ? AddressFields{} : addressFields(dotted);
  for (std::size_t i = 0; i < octets_.size(); ++i)
    octets_[i]->setText(fields[i] ? QString::number(*fields[i]) : QString());
}

std::string AddressEdit::text() const {
  AddressFields fields{};
  for (std::size_t i = 0; i < octets_.size(); ++i)
    typedOctet(octets_[i]->text().toStdString(), fields[i]);
  return addressText(fields);
}

void AddressEdit::advanceFrom(int index) {
  if (index + 1 >= static_cast<int>(octets_.size())) return;
  auto* next = octets_[static_cast<std::size_t>(index + 1)];
  next->setFocus(Qt::OtherFocusReason);
  next->selectAll();
}

bool AddressEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Period) return false;
  for (std::size_t i = 0; i < octets_.size(); ++i)
    if (octets_[i] == watched && !octets_[i]->text().isEmpty()) advanceFrom(static_cast<int>(i));
  return true;  // a dot is never part of an octet
}

void AddressEdit::changeEvent(QEvent* event) {
  // A disabled field greys its background as an edit does.
  if (event->type() == QEvent::EnabledChange)
    setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
  QFrame::changeEvent(event);
}

}  // namespace platform::ui::qt

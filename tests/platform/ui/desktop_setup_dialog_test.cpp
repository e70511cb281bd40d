// The setup dialog on the desktop host (Qt's offscreen platform) against the
// scripted printer on USB: a find with its box without an icon, the Yes/No
// question before doubtful settings, and the about box from the window's
// context menu, modal over the dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "netsetup/lan_setter_dlg.h"
#include "netsetup/setup_commands.h"
#include "netsetup/setup_texts.h"
#include "qt_host.h"
#include "tests/netsetup/setup_fixture.h"
#include "window.h"

namespace {

using platform::ui::qt::QtHost;

// Acts on the next modal window once its own event loop runs (a box or a
// dialog blocks the test's call until it closes).
void whenModal(std::function<void(QWidget*)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(modal);
  });
  poll->start(5);
}

// What a box said, and the button it was closed with.
struct SeenBox {
  QString name;
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

void answerBox(SeenBox& seen, QMessageBox::StandardButton button) {
  whenModal([&seen, button](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << modal->objectName().toStdString();
    seen = {box->objectName(), box->windowTitle(), box->text(), box->icon()};
    box->button(button)->click();
  });
}

class DesktopSetupDialog : public netsetup_test::SetupFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog.create());
    widget = host.openWindow()->widget();
  }
  QWidget* control(int id) const { return widget->findChild<QWidget*>(QString::number(id)); }
  void click(int id) { QTest::mouseClick(control(id), Qt::LeftButton); }
  void type(int field, const char* dotted) {
    auto parts = QString::fromLatin1(dotted).split('.');
    for (int i = 0; i < 4; ++i) {
      auto* octet = control(field)->findChild<QLineEdit*>(QStringLiteral("octet%1").arg(i));
      octet->clear();
      QTest::keyClicks(octet, parts.value(i));
    }
  }
  // A find with no local driver IP: the printer answers, and a box without
  // an icon says the network driver is not installed.
  SeenBox find() {
    SeenBox seen;
    answerBox(seen, QMessageBox::Ok);
    click(netsetup::kIdFind);
    return seen;
  }
  std::string lastUsbCommand() const {
    return printer.usbCommands.empty() ? "" : printer.usbCommands.back();
  }

  QtHost host;
  netsetup::Clan_setterDlg dialog{host};
  QWidget* widget = nullptr;
};

TEST_F(DesktopSetupDialog, OpensWithTheFocusOnTheFirstTabStopThatCanTakeIt) {
  // 确定 (1) comes first but is hidden.
  EXPECT_EQ(widget->focusWidget(), control(netsetup::kIdCancel));
}

TEST_F(DesktopSetupDialog, FindFillsTheFieldsAndSaysInABoxWithoutAnIconThatNoDriverIsInstalled) {
  EXPECT_FALSE(control(netsetup::kIdIpField)->isEnabled());
  auto box = find();
  EXPECT_EQ(box.name, "message-box");
  EXPECT_EQ(box.caption, "WARNING");
  EXPECT_EQ(box.text, QString::fromUtf8("网络打印驱动未安装！"));
  EXPECT_EQ(box.icon, QMessageBox::NoIcon);
  EXPECT_EQ(dialog.itemText(netsetup::kIdIpField), "192.168.1.20");
  EXPECT_EQ(dialog.itemText(netsetup::kIdMaskField), "255.255.255.0");
  EXPECT_TRUE(control(netsetup::kIdIpField)->isEnabled());
  EXPECT_TRUE(control(netsetup::kIdSave)->isEnabled());
  EXPECT_FALSE(control(netsetup::kIdLocalIpField)->isEnabled());
}

TEST_F(DesktopSetupDialog, DoubtfulSettingsAreAskedAboutAndSentOnlyAfterYes) {
  find();
  type(netsetup::kIdGatewayField, "10.0.0.1");
  SeenBox question;
  answerBox(question, QMessageBox::No);
  click(netsetup::kIdSave);
  EXPECT_EQ(question.name, "question-box");
  EXPECT_TRUE(question.text.startsWith(QString::fromUtf8("这些网络参数可能有误："))) << question.text.toStdString();
  EXPECT_EQ(lastUsbCommand(), "CheckMAC;") << "No sends nothing";

  type(netsetup::kIdGatewayField, "10.0.0.1");
  answerBox(question, QMessageBox::Yes);
  click(netsetup::kIdSave);
  auto sent = netsetup::setIpCommand({192, 168, 1, 20}, {255, 255, 255, 0}, {10, 0, 0, 1});
  EXPECT_EQ(lastUsbCommand(), std::string(sent.begin(), sent.end()));
}

TEST_F(DesktopSetupDialog, AboutBoxFromTheContextMenuIsModalOverTheDialogUntilItsOk) {
  auto* about = widget->findChild<QAction*>(QStringLiteral("system-16"));
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->text(), QString::fromUtf8("关于 QZ3317VT网络打印机参数设置(&A)..."));
  EXPECT_EQ(widget->contextMenuPolicy(), Qt::ActionsContextMenu);
  QString seenName;
  QWidget* seenParent = nullptr;
  whenModal([&](QWidget* modal) {
    seenName = modal->objectName();
    seenParent = modal->parentWidget();
    QTest::mouseClick(modal->findChild<QWidget*>(QStringLiteral("1")), Qt::LeftButton);
  });
  about->trigger();
  EXPECT_EQ(seenName, "dialog-100");
  EXPECT_EQ(seenParent, widget);
  EXPECT_EQ(host.openWindow()->widget(), widget) << "the dialog is the top window again";
  find();
  EXPECT_EQ(dialog.itemText(netsetup::kIdIpField), "192.168.1.20");
}

}  // namespace

// The setup tool's templates as data, texts in UTF-8.
#include "netsetup/setup_resources.h"

#include "netsetup/setup_texts.h"

namespace netsetup {

using platform::ui::ControlKind;
using platform::ui::ControlTemplate;
using platform::ui::DialogTemplate;

namespace {

ControlTemplate control(int id, ControlKind kind, platform::ui::Rect units, std::string text,
                        bool visible = true, bool enabled = true) {
  bool focusable = kind != ControlKind::StaticText && kind != ControlKind::GroupBox;
  return {id, kind, units, std::move(text), visible, enabled, focusable, false};
}

DialogTemplate makeSetupDialog() {
  DialogTemplate d;
  d.id = kSetupDialogId;
  d.caption = "QZ3317VT网络打印机参数设置";
  d.units = {351, 213};
  d.fontName = "宋体";
  d.fontPoints = 10;
  using K = ControlKind;
  d.controls = {
      control(kIdOk, K::DefaultPushButton, {277, 153, 44, 14}, "确定", false),
      control(kIdCancel, K::PushButton, {277, 171, 44, 14}, "关闭"),
      control(kIdFind, K::PushButton, {21, 48, 55, 14}, "查找设备"),
      control(kIdSave, K::PushButton, {222, 46, 70, 15}, "保存网络参数设置", true, false),
      control(kIdIpField, K::AddressField, {222, 86, 100, 15}, ""),
      control(kIdMaskField, K::AddressField, {223, 105, 100, 15}, ""),
      control(kIdGatewayField, K::AddressField, {222, 124, 100, 15}, ""),
      control(kIdIpLabel, K::StaticText, {175, 89, 32, 11}, "IP地址：", true, false),
      control(kIdMaskLabel, K::StaticText, {175, 108, 43, 8}, "子网掩码：", true, false),
      control(kIdGatewayLabel, K::StaticText, {175, 126, 43, 8}, "默认网关：", true, false),
      control(kIdStatusLine, K::StaticText, {19, 18, 122, 8}, "欢迎使用QZ3317VT网络打印机"),
      control(kIdCurrentIp, K::StaticText, {20, 90, 133, 8}, "当前IP地址：", true, false),
      control(kIdCurrentMask, K::StaticText, {20, 108, 140, 8}, "当前子网掩码：", true, false),
      control(kIdCurrentGateway, K::StaticText, {20, 126, 147, 8}, "当前默认网关：", true, false),
      control(kIdMac, K::StaticText, {21, 74, 133, 8}, "MAC地址：", true, false),
      control(kIdStatic, K::GroupBox, {17, 34, 320, 108}, "查找设备"),
      control(kIdStatic, K::GroupBox, {16, 153, 163, 35}, "本地驱动IP"),
      control(kIdQueryLocalIp, K::PushButton, {89, 165, 55, 14}, "查询本地IP", false),
      control(kIdLocalIpField, K::AddressField, {67, 166, 99, 16}, ""),
      control(kIdLocalIpLabel, K::StaticText, {23, 170, 37, 11}, "IP地址", true, false),
  };
  d.systemMenu = {{kIdAboutCommand, aboutItemText()}};
  return d;
}

DialogTemplate makeAboutDialog() {
  DialogTemplate d;
  d.id = kAboutDialogId;
  d.caption = "关于 QZ3317VT网络打印机网络参数设置";
  d.units = {170, 62};
  d.fontName = "MS Shell Dlg";
  d.fontPoints = 9;
  using K = ControlKind;
  d.controls = {
      control(kIdStatic, K::StaticText, {42, 14, 114, 8}, "QZ3317VT网络打印机参数设置，1.0.1"),
      control(kIdOk, K::DefaultPushButton, {113, 41, 50, 14}, "确定"),
  };
  return d;
}

}  // namespace

const DialogTemplate& setupDialogTemplate() {
  static const DialogTemplate dialog = makeSetupDialog();
  return dialog;
}

const DialogTemplate& aboutDialogTemplate() {
  static const DialogTemplate dialog = makeAboutDialog();
  return dialog;
}

const std::string& aboutItemText() {
  static const std::string text = "关于 QZ3317VT网络打印机参数设置(&A)...";
  return text;
}

}  // namespace netsetup

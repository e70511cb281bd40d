// The setup tool's dialog 102 and about box 100 as template data for the
// desktop layout tests; the status window brings its own template 140.
#pragma once

#include "ui/dialog_template.h"

namespace testing_support {

inline platform::ui::DialogTemplate setupDialogTemplate() {
  using K = platform::ui::ControlKind;
  platform::ui::DialogTemplate d{102, "QZ3317VT网络打印机参数设置", {351, 213}, "宋体", 10, false, false, {}};
  d.controls = {
      {1, K::DefaultPushButton, {277, 153, 44, 14}, "确定", false, true, true, false},
      {2, K::PushButton, {277, 171, 44, 14}, "关闭", true, true, true, false},
      {1000, K::PushButton, {21, 48, 55, 14}, "查找设备", true, true, true, false},
      {1001, K::PushButton, {222, 46, 70, 15}, "保存网络参数设置", true, false, true, false},
      {1003, K::AddressField, {222, 86, 100, 15}, "", true, true, true, false},
      {1004, K::AddressField, {223, 105, 100, 15}, "", true, true, true, false},
      {1005, K::AddressField, {222, 124, 100, 15}, "", true, true, true, false},
      {1007, K::StaticText, {175, 89, 32, 11}, "IP地址：", true, false, false, false},
      {1008, K::StaticText, {175, 108, 43, 8}, "子网掩码：", true, false, false, false},
      {1009, K::StaticText, {175, 126, 43, 8}, "默认网关：", true, false, false, false},
      {1010, K::StaticText, {19, 18, 122, 8}, "欢迎使用QZ3317VT网络打印机", true, true, false, false},
      {1012, K::StaticText, {20, 90, 133, 8}, "当前IP地址：", true, false, false, false},
      {1013, K::StaticText, {20, 108, 140, 8}, "当前子网掩码：", true, false, false, false},
      {1014, K::StaticText, {20, 126, 147, 8}, "当前默认网关：", true, false, false, false},
      {1018, K::StaticText, {21, 74, 133, 8}, "MAC地址：", true, false, false, false},
      {-1, K::GroupBox, {17, 34, 320, 108}, "查找设备", true, true, false, false},
      {-2, K::GroupBox, {16, 153, 163, 35}, "本地驱动IP", true, true, false, false},
      {1015, K::PushButton, {89, 165, 55, 14}, "查询本地IP", false, true, true, false},
      {1016, K::AddressField, {67, 166, 99, 16}, "", true, true, true, false},
      {1017, K::StaticText, {23, 170, 37, 11}, "IP地址", true, false, false, false},
  };
  return d;
}

inline platform::ui::DialogTemplate aboutBoxTemplate() {
  using K = platform::ui::ControlKind;
  platform::ui::DialogTemplate d{100, "关于 QZ3317VT网络打印机网络参数设置", {170, 62}, "MS Shell Dlg", 9, false, false, {}};
  d.controls = {
      {1100, K::OwnerDrawnButton, {14, 14, 20, 20}, "", true, true, false, false},
      {1101, K::StaticText, {42, 14, 114, 8}, "QZ3317VT网络打印机参数设置，1.0.1", true, true, false, false},
      {1, K::DefaultPushButton, {113, 41, 50, 14}, "确定", true, true, true, true},
  };
  return d;
}

}  // namespace testing_support

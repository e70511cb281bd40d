// The user texts of the setup dialog, written here in UTF-8 and used in
// code page 936.
#include "netsetup/setup_texts.h"

#include "text/codepage.h"

namespace netsetup::texts {

#define QZ_TEXT(name, utf8)                                        \
  const std::string& name() {                                      \
    static const std::string ansi = platform::text::utf8ToAnsi(utf8); \
    return ansi;                                                   \
  }

QZ_TEXT(connected, "已连接打印机设备，请设置网络参数")
QZ_TEXT(currentIpLabel, "当前IP地址：")
QZ_TEXT(currentMaskLabel, "当前子网掩码：")
QZ_TEXT(currentGatewayLabel, "当前默认网关：")
QZ_TEXT(macLabel, "MAC地址：")
QZ_TEXT(communicationError, "通讯错误")
QZ_TEXT(notConnected, "未连接打印机设备")
QZ_TEXT(saveSucceeded, "网络参数设置成功")
QZ_TEXT(saveFailed, "网络参数设置失败")
QZ_TEXT(addressMismatch, "打印机IP与本地驱动IP不匹配，请重新设置打印机网络参数！")
QZ_TEXT(driverNotInstalled, "网络打印驱动未安装！")
QZ_TEXT(welcome, "欢迎使用QZ3317VT网络打印机")
QZ_TEXT(caption, "WARNING")
QZ_TEXT(sendAnywayIntro, "这些网络参数可能有误：")
QZ_TEXT(sendAnywayQuestion, "是否仍要发送到打印机？")

#undef QZ_TEXT

}  // namespace netsetup::texts

// The setup dialog's user texts in the ANSI code page (936), and the ids of
// the controls of dialog 102 that the workflow drives.
#pragma once

#include <string>

namespace netsetup {

enum ControlId : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdFind = 1000,
  kIdSave = 1001,
  kIdIpField = 1003,
  kIdMaskField = 1004,
  kIdGatewayField = 1005,
  kIdIpLabel = 1007,
  kIdMaskLabel = 1008,
  kIdGatewayLabel = 1009,
  kIdStatusLine = 1010,
  kIdCurrentIp = 1012,
  kIdCurrentMask = 1013,
  kIdCurrentGateway = 1014,
  kIdQueryLocalIp = 1015,
  kIdLocalIpField = 1016,
  kIdLocalIpLabel = 1017,
  kIdMac = 1018,
};

// The texts, converted once from the UTF-8 of this source to code page 936.
namespace texts {

const std::string& connected();           // 已连接打印机设备，请设置网络参数
const std::string& currentIpLabel();      // 当前IP地址：
const std::string& currentMaskLabel();    // 当前子网掩码：
const std::string& currentGatewayLabel(); // 当前默认网关：
const std::string& macLabel();            // MAC地址：
const std::string& communicationError();  // 通讯错误
const std::string& notConnected();        // 未连接打印机设备
const std::string& saveSucceeded();       // 网络参数设置成功
const std::string& saveFailed();          // 网络参数设置失败
const std::string& addressMismatch();     // 打印机IP与本地驱动IP不匹配，请重新设置打印机网络参数！
const std::string& driverNotInstalled();  // 网络打印驱动未安装！
const std::string& welcome();             // 欢迎使用QZ3317VT网络打印机
const std::string& caption();             // WARNING

// The question before sending settings that the checks found fault with.
const std::string& sendAnywayIntro();     // 这些网络参数可能有误：
const std::string& sendAnywayQuestion();  // 是否仍要发送到打印机？

}  // namespace texts

}  // namespace netsetup

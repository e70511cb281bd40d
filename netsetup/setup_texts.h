// The setup dialog's user texts in the ANSI code page (936), and the ids of
// the controls of dialog 102 that the workflow drives.
#pragma once

#include <string>

namespace netsetup {

// The controls of dialog 102 by id.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdFind = 1000;
inline constexpr int kIdSave = 1001;
inline constexpr int kIdIpField = 1003;
inline constexpr int kIdMaskField = 1004;
inline constexpr int kIdGatewayField = 1005;
inline constexpr int kIdIpLabel = 1007;
inline constexpr int kIdMaskLabel = 1008;
inline constexpr int kIdGatewayLabel = 1009;
inline constexpr int kIdStatusLine = 1010;
inline constexpr int kIdCurrentIp = 1012;
inline constexpr int kIdCurrentMask = 1013;
inline constexpr int kIdCurrentGateway = 1014;
inline constexpr int kIdQueryLocalIp = 1015;
inline constexpr int kIdLocalIpField = 1016;
inline constexpr int kIdLocalIpLabel = 1017;
inline constexpr int kIdMac = 1018;

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

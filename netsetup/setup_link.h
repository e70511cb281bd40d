// CSetupLink: the setup tool's link to the printer for one button action.
//
// USB mode: the printer's imaging interface on the platform USB bus, found
// by vendor and product. A command goes to the write pipe (device path and
// "\1") in at most three write calls; each reply comes from the read pipe
// (device path and "\0") in one read that waits at most 500 ms and is
// cancelled when it runs out. Each pipe is opened for one call and closed
// right after it.
//
// Network mode: TCP port 9100 at the local driver IP ("PrintPortInUse" in
// section "DRVSTM_QZ3317VT" of win.ini, read with room for 15 characters;
// 192.168.1.160 when it is missing or empty), parsed by the inet_addr
// rules. Every connection attempt writes "Connect" = "1" or "0" there.
// Every command opens a connection of its own and goes out after "NET.";
// the one reply read after it closes that connection, so a second read for
// the same command finds none. Sends and receives wait at most 5000 ms.
//
// A new link is in network mode with the ready flag clear; the caller sets
// the mode from FindUsbDevice. Nothing is held between calls except the
// connection of the current network command. Failures are results only.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "net/connector.h"
#include "netsetup/setup_commands.h"
#include "usb/bus.h"

namespace netsetup {

enum class LinkMode { Network = 0, Usb = 1 };

inline constexpr std::string_view kProfileSection = "DRVSTM_QZ3317VT";
inline constexpr std::string_view kLocalIpKey = "PrintPortInUse";
inline constexpr std::string_view kConnectKey = "Connect";
inline constexpr std::string_view kDefaultPrinterAddress = "192.168.1.160";
inline constexpr std::uint16_t kPrinterPort = 9100;
// Room for the 15 characters of a dotted address and the terminator.
inline constexpr std::size_t kLocalIpBuffer = 16;
inline constexpr std::chrono::milliseconds kUsbReadLimit{500};
inline constexpr std::chrono::milliseconds kNetworkLimit{5000};

class CSetupLink {
 public:
  // The link works on the given bus and connector; by default the
  // process's own.
  CSetupLink(platform::usb::Bus& bus = platform::usb::usbBus(),
             platform::net::Connector& connector = platform::net::connector());
  CSetupLink(const CSetupLink&) = delete;
  CSetupLink& operator=(const CSetupLink&) = delete;

  // Finds the first imaging interface whose hardware identifier, lowered,
  // begins with usb\vid_7a3c&pid_5b21, checks that its device path fits 257
  // characters and opens, and sets both pipe paths. Sets the ready flag on
  // success; touches nothing else on failure.
  bool FindUsbDevice();
  // Opens a connection to the local driver IP; the ready flag takes the
  // outcome. Fails without an attempt (and without writing "Connect") when
  // the Windows folder does not exist.
  bool ConnectTcp();
  // Sends one command of at most 256 bytes. True when every byte was
  // delivered; in network mode the connection then waits for ReadReply.
  bool SendCommand(std::span<const std::uint8_t> command);
  // Reads one reply into `reply`, which the caller has zeroed. USB: true
  // when at least one byte arrived within the limit. Network: one receive,
  // then the connection is closed; true when the first byte is not zero.
  // False at once when the ready flag is clear.
  bool ReadReply(ReplyBuffer& reply);
  // Closes the connection of a probe or a command, if any.
  void closeConnection();

  void setMode(LinkMode mode) { mode_ = mode; }
  LinkMode mode() const { return mode_; }
  bool ready() const { return ready_; }
  const std::string& writePipePath() const { return writePipePath_; }
  const std::string& readPipePath() const { return readPipePath_; }

 private:
  bool sendUsb(std::span<const std::uint8_t> command);
  bool sendNetwork(std::span<const std::uint8_t> command);
  bool readUsb(ReplyBuffer& reply);
  bool readNetwork(ReplyBuffer& reply);
  // The device path of the printer's imaging interface; empty when none.
  std::string searchImagingPath();

  platform::usb::Bus& bus_;
  platform::net::Connector& connector_;
  LinkMode mode_ = LinkMode::Network;
  bool ready_ = false;
  std::string writePipePath_;
  std::string readPipePath_;
  std::unique_ptr<platform::net::Connection> connection_;
};

}  // namespace netsetup

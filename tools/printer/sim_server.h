// The server side of the simulated USB bus: the devices of a scenario,
// served on the bus socket of a root from one poll loop.
//
// Requests and replies. Each write on a write pipe is appended to the
// request buffer of its interface (a short write appends only what was
// taken). A read on the read pipe answers the whole buffer received so far
// and clears it; the request is logged then. The reply, and any further
// chunks held after it, wait in the interface's queue; a read takes one
// queued chunk, at most its size of it. What is left of a chunk longer than
// the read stays at the front of the queue for the next read, as the rest of
// a bulk transfer would. A chunk stays tied to the read it answers until
// that read has taken (the start of) the reply: when that read is cancelled
// or its handle closed first, the reply and its chunks are dropped, so a
// late reply never reaches a later read.
// Chunks freed that way and not read stay queued for the next read of the
// interface, as they would on the device. A read with nothing to take
// waits for a write.
//
// Imaging interface: a complete "SetIP=" command is applied and logged as
// soon as it is written, since it has no reply.
//
// TCP port. When the scenario names "tcp", the setup commands of the
// network path are served on that loopback endpoint from the same poll
// loop (tcp_server.h), against the model of device 1, which the USB
// imaging interface also answers from. Each received command is logged as
// it came, "NET." included. A command without that prefix gets no answer;
// nor does any command under "fault.tcp = noreply". Under
// "fault.tcp = close-after-reply" the printer closes each connection once
// its reply is out, and at once after a command it does not answer. Other
// replies before a reply ("before.WORD") go out in the same stream on TCP
// and as chunks of their own on USB. The network is another
// path than the bus: "unplugged" does not touch it.
//
// The scenario file is read again before each message (bus message or TCP
// command) when its change time, inode or size differ; the devices and
// their values are then rebuilt from it, and connections to devices that
// no longer match are closed. When the TCP endpoint changes, the new one
// is bound first; if it cannot be, the old scenario stays.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>

#include "usb/pipe_path.h"
#include "usb/sim_protocol.h"
#include "base/unique_fd.h"
#include "tools/printer/bus_claim.h"
#include "tools/printer/printer_model.h"
#include "tools/printer/scenario.h"
#include "tools/printer/tcp_server.h"

namespace printer {

class SimServer {
 public:
  SimServer(std::filesystem::path root, std::optional<std::filesystem::path> scenarioFile);
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Reads the scenario, makes the bus folder, claims the bus (see
  // bus_claim.h) and binds the bus socket. Returns false with a message in
  // `error` when any step fails; a bus that another printer serves is left
  // untouched.
  bool start(std::string& error);

  // Serves until `stopFd` (a signalfd) becomes readable.
  void run(int stopFd);

 private:
  using Clock = std::chrono::steady_clock;

  struct Chunk {
    std::string bytes;
    Clock::time_point availableAt;
    std::uint64_t owner = 0;  // the connection whose read it answers; 0: none
  };
  struct InterfaceState {
    std::string request;
    std::deque<Chunk> queue;
  };
  struct Device {
    DeviceSpec spec;
    PrinterModel model;
    bool unplugged = false;
    std::map<std::uint8_t, InterfaceState> interfaces;
  };
  struct PendingRead {
    std::uint32_t serial = 0;
    std::uint32_t size = 0;
  };
  struct Connection {
    platform::base::UniqueFd fd;
    bool opened = false;
    int device = 0;  // device number
    std::uint8_t cls = 0;
    platform::usb::PipeKind kind = platform::usb::PipeKind::Interface;
    std::optional<PendingRead> pending;
  };

  // The parsed scenario file; nothing, with `error`, when it cannot be read
  // or parsed.
  std::optional<Scenario> readScenario(std::string& error) const;
  bool loadScenario(std::string& error);
  void reloadIfChanged();
  // Makes the TCP listener follow `wanted`; false, with `error`, when a new
  // endpoint cannot be bound (the old listener then stays).
  bool followTcp(const std::optional<TcpEndpoint>& wanted, std::string& error);
  void answerNetCommand(const TcpServer::Command& command);
  void rebuildDevices();

  void accept();
  // Handles one message; false when the connection is to be closed.
  bool handle(std::uint64_t id, const platform::usb::sim::Message& message);
  bool handleOpen(Connection& connection, const platform::usb::sim::Message& message);
  bool handleWrite(Connection& connection, const platform::usb::sim::Message& message);
  bool handleCancel(std::uint64_t id, const platform::usb::sim::Message& message);
  std::string listReply(std::uint8_t cls) const;

  void serveReads();
  void serveRead(std::uint64_t id);
  // Answers the interface's pending request; `owner` is the connection
  // whose read the reply is for, 0 for any read.
  void answerRequest(std::uint64_t id, Device& device, InterfaceState& state, std::uint64_t owner);
  void closeConnection(std::uint64_t id);
  void unplug(int deviceNumber);
  int pollTimeout() const;

  Device* findDevice(int number);
  bool present(const Device& device) const;
  InterfaceState* interfaceOf(const Connection& connection);

  std::filesystem::path root_;
  std::optional<std::filesystem::path> scenarioFile_;
  struct stat scenarioStat_ {};
  Scenario scenario_;
  std::map<int, Device> devices_;
  std::map<std::uint64_t, Connection> connections_;
  std::uint64_t nextId_ = 1;
  std::optional<BusClaim> claim_;
  platform::base::UniqueFd listener_;
  std::filesystem::path socketPath_;
  TcpServer tcp_;
};

}  // namespace printer

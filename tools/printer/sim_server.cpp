// Serving the simulated USB bus from one poll loop.
#include "tools/printer/sim_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <span>
#include <vector>

#include "tools/printer/net_command.h"
#include "tools/printer/request_log.h"

namespace printer {

namespace {

using platform::usb::PipeKind;
using platform::base::UniqueFd;
using platform::usb::sim::Message;
using platform::usb::sim::MessageType;
namespace sim = platform::usb::sim;

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// A scenario beyond this size is no hand-written test file; refusing it
// keeps a reload from stalling the poll loop.
constexpr std::size_t kMaxScenarioBytes = 1 << 20;

// The whole scenario file; nothing, with `error`, when it cannot be read.
// The open never blocks (a FIFO would wait for a writer forever, with the
// stop signals held back), and only a regular file is read.
std::optional<std::string> readFile(const std::filesystem::path& path, std::string& error) {
  error = "cannot read scenario " + path.string();
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return std::nullopt;
  if (!S_ISREG(st.st_mode)) {
    error = "scenario " + path.string() + " is not a regular file";
    return std::nullopt;
  }
  std::string text;
  char block[4096];
  while (true) {
    ssize_t got = ::read(fd.get(), block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    text.append(block, static_cast<std::size_t>(got));
    if (text.size() > kMaxScenarioBytes) {
      error = "scenario " + path.string() + " is larger than " +
              std::to_string(kMaxScenarioBytes) + " bytes";
      return std::nullopt;
    }
  }
  error.clear();
  return text;
}

bool hasClass(const DeviceSpec& spec, std::uint8_t cls) {
  return std::find(spec.classes.begin(), spec.classes.end(), cls) != spec.classes.end();
}

}  // namespace

SimServer::SimServer(std::filesystem::path root, std::optional<std::filesystem::path> scenarioFile)
    : root_(std::move(root)),
      scenarioFile_(std::move(scenarioFile)),
      tcp_(sim::busFolder(root_) / "tcp.port") {}

SimServer::~SimServer() {
  connections_.clear();
  if (claim_) claim_->removeOwnSocket();
}

std::optional<Scenario> SimServer::readScenario(std::string& error) const {
  auto text = readFile(*scenarioFile_, error);
  if (!text) return std::nullopt;
  return parseScenario(*text, error);
}

bool SimServer::loadScenario(std::string& error) {
  if (!scenarioFile_) {
    scenario_ = defaultScenario();
    return true;
  }
  struct stat st {};
  if (::stat(scenarioFile_->c_str(), &st) != 0) {
    error = "cannot read scenario " + scenarioFile_->string();
    return false;
  }
  auto parsed = readScenario(error);
  if (!parsed) return false;
  scenario_ = std::move(*parsed);
  scenarioStat_ = st;
  return true;
}

void SimServer::reloadIfChanged() {
  if (!scenarioFile_) return;
  struct stat st {};
  if (::stat(scenarioFile_->c_str(), &st) != 0 || sameFile(st, scenarioStat_)) return;
  // A half-written file is no scenario, and one naming an endpoint that
  // cannot be served is not taken either; the old one stays until the next
  // change.
  scenarioStat_ = st;
  std::string error;
  auto parsed = readScenario(error);
  if (!parsed || !followTcp(parsed->tcp, error)) {
    std::cerr << "qz3317vt-printer: " << error << " (kept the previous scenario)\n";
    return;
  }
  scenario_ = std::move(*parsed);
  rebuildDevices();
}

bool SimServer::followTcp(const std::optional<TcpEndpoint>& wanted, std::string& error) {
  if (wanted == tcp_.endpoint()) return true;
  if (!wanted) {
    tcp_.close();
    return true;
  }
  return tcp_.listen(*wanted, error);
}

void SimServer::rebuildDevices() {
  devices_.clear();
  for (const auto& spec : scenario_.devices) {
    devices_.emplace(spec.number, Device{spec, PrinterModel(scenario_, spec), spec.unplugged, {}});
  }
  std::vector<std::uint64_t> stale;
  for (const auto& [id, connection] : connections_) {
    if (!connection.opened) continue;
    Device* device = findDevice(connection.device);
    if (device == nullptr || !present(*device) || !hasClass(device->spec, connection.cls)) {
      stale.push_back(id);
    }
  }
  for (auto id : stale) closeConnection(id);
}

bool SimServer::start(std::string& error) {
  if (!loadScenario(error)) return false;
  rebuildDevices();
  std::error_code ec;
  std::filesystem::create_directories(sim::busFolder(root_), ec);
  if (ec) {
    error = "cannot make " + sim::busFolder(root_).string() + ": " + ec.message();
    return false;
  }
  // A root has one printer: a second one would take the socket over and
  // wipe the first one's log.
  claim_ = BusClaim::acquire(sim::busFolder(root_), error);
  if (!claim_) return false;
  // Each run starts a fresh request log, and only a listening run has a
  // port file.
  std::filesystem::remove(sim::requestLogPath(root_), ec);
  std::filesystem::remove(sim::busFolder(root_) / "tcp.port", ec);
  if (scenario_.tcp && !tcp_.listen(*scenario_.tcp, error)) return false;
  socketPath_ = sim::busSocketPath(root_);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath_.string().size() >= sizeof address.sun_path) {
    error = "socket path too long for a Unix socket: " + socketPath_.string();
    return false;
  }
  std::strcpy(address.sun_path, socketPath_.c_str());
  ::unlink(socketPath_.c_str());
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!fd.valid() ||
      ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.get(), 64) != 0) {
    error = "cannot serve " + socketPath_.string() + ": " + std::strerror(errno);
    return false;
  }
  listener_ = std::move(fd);
  claim_->ownSocket(socketPath_);
  return true;
}

void SimServer::run(int stopFd) {
  while (true) {
    std::vector<pollfd> fds{{stopFd, POLLIN, 0}, {listener_.get(), POLLIN, 0}};
    std::vector<std::uint64_t> ids;
    for (const auto& [id, connection] : connections_) {
      fds.push_back({connection.fd.get(), POLLIN, 0});
      ids.push_back(id);
    }
    std::size_t tcpFirst = fds.size();
    tcp_.addPollFds(fds);
    int ready = ::poll(fds.data(), fds.size(), pollTimeout());
    if (ready < 0 && errno != EINTR) return;
    if (ready > 0 && fds[0].revents != 0) return;
    if (ready > 0 && fds[1].revents != 0) accept();
    for (std::size_t i = 0; ready > 0 && i < ids.size(); ++i) {
      if (fds[i + 2].revents == 0 || !connections_.contains(ids[i])) continue;
      Message message;
      auto status =
          sim::receiveMessage(connections_.at(ids[i]).fd.get(), std::chrono::milliseconds(0), message);
      if (status == sim::ReceiveStatus::TimedOut) continue;
      if (status == sim::ReceiveStatus::Closed || !handle(ids[i], message)) closeConnection(ids[i]);
    }
    if (ready > 0) {
      auto tcpFds = std::span<const pollfd>(fds).subspan(tcpFirst);
      for (const auto& command : tcp_.handleEvents(tcpFds)) answerNetCommand(command);
    }
    tcp_.sendDue();
    serveReads();
  }
}

void SimServer::answerNetCommand(const TcpServer::Command& command) {
  reloadIfChanged();
  appendRequestLog(sim::requestLogPath(root_), command.bytes);
  std::string_view body = command.bytes;
  // Raw bytes on the port are no setup command; the device ignores them.
  if (!body.starts_with(kNetPrefix)) return;
  body.remove_prefix(kNetPrefix.size());
  Device* device = findDevice(1);
  bool closeAfter = scenario_.behaviour("tcp").closeAfterReply;
  if (device == nullptr || device->model.takeSetIp(body)) {
    if (closeAfter) tcp_.drop(command.connection);
    return;
  }
  Answer answer = device->model.answerImaging(body, scenario_);
  // A device that goes away mid-exchange drops the connection.
  if (answer.unplug) {
    tcp_.drop(command.connection);
    return;
  }
  if (answer.noReply || scenario_.behaviour("tcp").noReply) {
    if (closeAfter) tcp_.drop(command.connection);
    return;
  }
  // One stream: other replies and the reply follow each other.
  std::string bytes;
  for (const auto& other : answer.leading) bytes += other;
  tcp_.reply(command.connection, bytes + answer.reply, Clock::now() + answer.delay, closeAfter);
}

void SimServer::accept() {
  // Non-blocking, so that a client that stops reading its replies costs its
  // own connection (a send that would block fails) instead of freezing the
  // poll loop, and with it every other client and the stop signals.
  int fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return;
  Connection connection;
  connection.fd.reset(fd);
  connections_.emplace(nextId_++, std::move(connection));
}

bool SimServer::handle(std::uint64_t id, const Message& message) {
  reloadIfChanged();
  if (!connections_.contains(id)) return true;
  Connection& connection = connections_.at(id);
  if (!connection.opened) {
    if (message.type == MessageType::List) {
      sim::sendMessage(connection.fd.get(),
                       {MessageType::ListReply, 0, 0,
                        listReply(static_cast<std::uint8_t>(message.a))});
      return false;
    }
    return message.type == MessageType::Open && handleOpen(connection, message);
  }
  switch (message.type) {
    case MessageType::Write:
      return handleWrite(connection, message);
    case MessageType::Read:
      if (connection.kind != PipeKind::ReadPipe || connection.pending) return false;
      connection.pending = PendingRead{message.a, message.b};
      return true;
    case MessageType::Cancel:
      return handleCancel(id, message);
    default:
      return false;
  }
}

std::string SimServer::listReply(std::uint8_t cls) const {
  std::vector<platform::usb::DeviceEntry> entries;
  for (const auto& [number, device] : devices_) {
    if (!present(device) || !hasClass(device.spec, cls)) continue;
    entries.push_back({device.spec.hardwareIds, interfacePath(device.spec, cls)});
  }
  return sim::encodeEntries(entries);
}

bool SimServer::handleOpen(Connection& connection, const Message& message) {
  auto name = platform::usb::parsePipeName(message.payload);
  auto access = static_cast<platform::usb::Access>(message.a);
  for (auto& [number, device] : devices_) {
    if (!present(device)) continue;
    for (std::uint8_t cls : device.spec.classes) {
      if (interfacePath(device.spec, cls) != name.devicePath) continue;
      bool fits = (!name.suffixClass || static_cast<std::uint8_t>(*name.suffixClass) == cls) &&
                  platform::usb::accessFitsPipe(name.kind, access);
      if (!fits) break;
      connection.opened = true;
      connection.device = number;
      connection.cls = cls;
      connection.kind = name.kind;
      return sim::sendMessage(connection.fd.get(), {MessageType::OpenReply, 1, 0, {}});
    }
  }
  sim::sendMessage(connection.fd.get(), {MessageType::OpenReply, 0, 0, {}});
  return false;
}

bool SimServer::handleWrite(Connection& connection, const Message& message) {
  InterfaceState* state = interfaceOf(connection);
  if (connection.kind != PipeKind::WritePipe || state == nullptr) return false;
  std::size_t taken = message.payload.size();
  if (scenario_.shortWrite > 0) taken = std::min(taken, scenario_.shortWrite);
  state->request.append(message.payload, 0, taken);
  if (connection.cls == static_cast<std::uint8_t>(platform::usb::InterfaceClass::Imaging)) {
    Device& device = *findDevice(connection.device);
    while (auto length = device.model.takeSetIp(state->request)) {
      appendRequestLog(sim::requestLogPath(root_), state->request.substr(0, *length));
      state->request.erase(0, *length);
    }
  }
  return sim::sendMessage(connection.fd.get(),
                          {MessageType::WriteReply, static_cast<std::uint32_t>(taken), 0, {}});
}

bool SimServer::handleCancel(std::uint64_t id, const Message& message) {
  Connection& connection = connections_.at(id);
  if (connection.pending && connection.pending->serial == message.a) {
    connection.pending.reset();
    if (InterfaceState* state = interfaceOf(connection)) {
      std::erase_if(state->queue, [id](const Chunk& chunk) { return chunk.owner == id; });
    }
  }
  return sim::sendMessage(connection.fd.get(), {MessageType::CancelReply, message.a, 0, {}});
}

void SimServer::serveReads() {
  std::vector<std::uint64_t> waiting;
  for (const auto& [id, connection] : connections_) {
    if (connection.pending) waiting.push_back(id);
  }
  for (auto id : waiting) {
    if (connections_.contains(id)) serveRead(id);
  }
}

void SimServer::serveRead(std::uint64_t id) {
  Connection& connection = connections_.at(id);
  Device* device = findDevice(connection.device);
  InterfaceState* state = interfaceOf(connection);
  if (device == nullptr || state == nullptr) return;
  if (!state->request.empty()) {
    answerRequest(id, *device, *state, id);
    if (!connections_.contains(id)) return;
  }
  if (state->queue.empty()) return;
  Chunk& front = state->queue.front();
  if ((front.owner != 0 && front.owner != id) || front.availableAt > Clock::now()) return;
  PendingRead read = *connection.pending;
  connection.pending.reset();
  std::string bytes = front.bytes.substr(0, read.size);
  // A bulk stream: what does not fit into this read is the start of the next.
  if (front.bytes.size() > read.size) {
    front.bytes.erase(0, read.size);
  } else {
    state->queue.pop_front();
  }
  // The reply is taken: its tail and what it holds back are now for
  // whichever read comes.
  for (auto& chunk : state->queue) {
    if (chunk.owner == id) chunk.owner = 0;
  }
  if (!sim::sendMessage(connection.fd.get(), {MessageType::ReadReply, read.serial, 0, bytes})) {
    closeConnection(id);
  }
}

void SimServer::answerRequest(std::uint64_t id, Device& device, InterfaceState& state,
                              std::uint64_t owner) {
  std::string request = std::exchange(state.request, {});
  bool printing =
      connections_.at(id).cls == static_cast<std::uint8_t>(platform::usb::InterfaceClass::Printing);
  Answer answer = printing ? device.model.answerPrinting(request, scenario_)
                           : device.model.answerImaging(request, scenario_);
  for (auto word : splitWords(request)) appendRequestLog(sim::requestLogPath(root_), word);
  if (answer.unplug) {
    unplug(device.spec.number);
    return;
  }
  if (answer.noReply) return;
  auto due = Clock::now() + answer.delay;
  // Each other reply is a chunk of its own, taken by one read.
  for (const auto& other : answer.leading) state.queue.push_back({other, due, owner});
  state.queue.push_back({answer.reply, due, owner});
  for (std::size_t i = 0; i < answer.extraChunks; ++i) {
    state.queue.push_back({scenario_.extraChunk, due, owner});
  }
}

void SimServer::closeConnection(std::uint64_t id) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  // What was written and never read for is still a request the printer
  // received: it is answered into the interface's queue for any later read.
  if (it->second.opened && it->second.kind == PipeKind::WritePipe) {
    Device* device = findDevice(it->second.device);
    InterfaceState* state = interfaceOf(it->second);
    if (device != nullptr && state != nullptr && !state->request.empty()) {
      answerRequest(id, *device, *state, 0);
      it = connections_.find(id);
      if (it == connections_.end()) return;
    }
  }
  if (InterfaceState* state = it->second.opened ? interfaceOf(it->second) : nullptr) {
    std::erase_if(state->queue, [id](const Chunk& chunk) { return chunk.owner == id; });
  }
  connections_.erase(it);
}

void SimServer::unplug(int deviceNumber) {
  Device* device = findDevice(deviceNumber);
  if (device == nullptr) return;
  device->unplugged = true;
  device->interfaces.clear();
  std::erase_if(connections_, [deviceNumber](const auto& item) {
    return item.second.opened && item.second.device == deviceNumber;
  });
}

int SimServer::pollTimeout() const {
  std::optional<Clock::time_point> next;
  for (const auto& [id, connection] : connections_) {
    if (!connection.pending) continue;
    auto device = devices_.find(connection.device);
    if (device == devices_.end()) continue;
    auto state = device->second.interfaces.find(connection.cls);
    if (state == device->second.interfaces.end() || state->second.queue.empty()) continue;
    auto due = state->second.queue.front().availableAt;
    if (!next || due < *next) next = due;
  }
  auto tcpDue = tcp_.nextDue();
  if (tcpDue && (!next || *tcpDue < *next)) next = tcpDue;
  if (!next) return -1;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

SimServer::Device* SimServer::findDevice(int number) {
  auto it = devices_.find(number);
  return it == devices_.end() ? nullptr : &it->second;
}

bool SimServer::present(const Device& device) const {
  return !device.unplugged && !scenario_.unplugged;
}

SimServer::InterfaceState* SimServer::interfaceOf(const Connection& connection) {
  Device* device = findDevice(connection.device);
  if (device == nullptr) return nullptr;
  return &device->interfaces[connection.cls];
}

}  // namespace printer

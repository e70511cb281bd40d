// The scenario of the simulated printer: its devices, values, status and
// faults, read from a line-based "key = value" file (the top README describes it).
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/printer/tcp_endpoint.h"

namespace printer {

// What a request word does besides being answered normally.
struct WordBehaviour {
  bool noReply = false;           // the read waits out its limit
  bool unplugDuringRead = false;  // the pending read fails, the device goes
  bool zeroByte = false;          // a zero byte after the reply's first line
  bool longReply = false;         // the reply padded beyond 512 bytes
  bool pad260 = false;            // imaging: the reply padded to 260 bytes, no zero added
  bool closeAfterReply = false;   // "tcp": each connection closed once answered
  int repliesBefore = 0;          // imaging: this many other replies come first
  std::chrono::milliseconds delay{0};
  std::optional<int> errorCode;       // reply with this error code instead
  std::optional<int> lines;           // this many status lines
  // Further chunks (extraChunk) that follow the reply, one per read.
  std::size_t chunks = 0;
  std::optional<std::string> reply;   // these bytes instead of the reply
};

struct DeviceSpec {
  int number = 1;
  std::vector<std::string> hardwareIds;
  std::vector<std::uint8_t> classes;
  std::string pathBase;
  std::size_t pathLength = 0;  // 0: the natural length
  bool unplugged = false;
  std::map<std::string, std::string> values;
};

struct Scenario {
  int status = 1;
  std::optional<std::string> statusName;
  std::map<std::string, std::string> values;
  std::map<std::string, WordBehaviour> words;
  std::size_t shortWrite = 0;  // 0: every write is taken whole
  bool unplugged = false;
  std::string extraChunk = "EXTRA\r\n";
  std::optional<TcpEndpoint> tcp;   // "tcp = 127.0.0.1:9100"; nullopt: no listener
  std::vector<DeviceSpec> devices;  // by number, at least device 1

  // The behaviour of a word; the default one when the scenario names none.
  const WordBehaviour& behaviour(const std::string& word) const;
};

// The interface path of a device for a class: the path base, ":" and the
// class number, padded with "x" after the base to the device's path length.
std::string interfacePath(const DeviceSpec& device, std::uint8_t cls);

// Turns the escapes \r \n \t \0 \\ and \xHH into their bytes.
std::string unescape(std::string_view text);

// Parses a scenario text. On a malformed line, an unknown key or a number
// outside the range the printer can serve (status codes of five digits,
// delays up to a day, at most 512 lines, paths that fit the bus's list
// reply, flags 0 or 1) the error names the line, and the range where one
// was passed, and nothing is returned. A "tcp" address outside 127.0.0.0/8
// is malformed.
std::optional<Scenario> parseScenario(std::string_view text, std::string& error);

// The scenario with no file: one default device and default values.
Scenario defaultScenario();

}  // namespace printer

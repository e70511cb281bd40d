// The simulated QZ3317VT: its values and settings, and its answers to the
// requests of the printing and imaging interfaces.
//
// Printing interface. A request is split into words: a query ends at "?",
// a statement at ";". Each word is answered with status lines
// "FIELD;...;CODE=DDDDD\r\n" (see the top README for the words and codes). A
// setting statement that is accepted changes the model and is confirmed
// with code 20; a refused one is answered with the error code 3040.
// Imaging interface. "CheckIP;" and "CheckMAC;" are answered with the
// address and MAC replies; "SetIP=" with 12 octets and ";" sets the
// addresses and has no reply. With "before.WORD = N" the reply follows N
// other replies "Busy;"; with "fault.WORD = pad-260" it is padded with "F"
// to 260 bytes.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/printer/scenario.h"

namespace printer {

// The words of one request: each up to and including "?" or ";";
// trailing bytes without either are one more word.
std::vector<std::string_view> splitWords(std::string_view request);

// How the printer answers one request.
struct Answer {
  std::string reply;  // the reply's bytes
  bool noReply = false;
  bool unplug = false;  // the device goes away instead of answering
  std::chrono::milliseconds delay{0};
  std::size_t extraChunks = 0;  // further chunks held after the reply
  std::vector<std::string> leading;  // imaging: other replies before this one
};

class PrinterModel {
 public:
  PrinterModel(const Scenario& scenario, const DeviceSpec& device);

  Answer answerPrinting(std::string_view request, const Scenario& scenario);
  Answer answerImaging(std::string_view request, const Scenario& scenario);

  // When `buffer` begins with a complete set command ("SetIP=", 12 octets,
  // ";"), applies it and returns its length.
  std::optional<std::size_t> takeSetIp(std::string_view buffer);

  // A value by name ("SleepMode", "IP", ...); empty for an unknown name.
  std::string value(const std::string& name) const;

 private:
  std::string answerWord(std::string_view token, const std::string& word);
  std::string answerStatement(std::string_view token, const std::string& item);
  bool applySetting(const std::string& item, std::string_view value);

  std::map<std::string, std::string> values_;
  int status_;
  std::string statusName_;
};

}  // namespace printer

// The answers of the simulated printer.
#include "tools/printer/printer_model.h"

#include <arpa/inet.h>

#include <array>
#include <cstdio>
#include <utility>
#include <vector>


namespace printer {

namespace {

struct Item {
  int code;
  const char* name;
};

struct ItemQuery {
  std::string_view word;
  std::vector<Item> items;
};

const std::array<ItemQuery, 5>& itemQueries() {
  static const std::array<ItemQuery, 5> kQueries{{
      {"Features?",
       {{200, "SleepMode"},
        {201, "CassettePaper"},
        {202, "TonerOutError"},
        {203, "FeedOffset"},
        {204, "ScanOffset"},
        {205, "InstalledMemory"},
        {206, "AvailableMemory"}}},
      {"SER.Features?",
       {{400, "TotalPages"},
        {401, "JamCounts"},
        {402, "GenuineTonerCount"},
        {403, "NonGenuineTonerCount"},
        {404, "GenuineToner"}}},
      {"CSICValues?", {{300, "TonerRemain"}, {301, "TonerPartNumber"}}},
      {"OPCValues?", {{500, "OPCRemain"}, {501, "OPCPartNumber"}}},
      {"USBInfo?",
       {{600, "RunPaperSource"},
        {601, "RunPaperSize"},
        {602, "HostName"},
        {700, "UsbID"},
        {701, "CommMode"},
        {702, "ModelID"},
        {703, "ConFWDate"},
        {704, "EngFWVer"}}},
  }};
  return kQueries;
}

const ItemQuery* findItemQuery(std::string_view word) {
  for (const auto& query : itemQueries()) {
    if (query.word == word) return &query;
  }
  return nullptr;
}

// The five adjustable settings and their values after "UserSetInitial".
const std::map<std::string, std::string>& factorySettings() {
  static const std::map<std::string, std::string> kSettings{
      {"SleepMode", "15"},     {"CassettePaper", "Auto"}, {"TonerOutError", "Stop"},
      {"FeedOffset", "+0.0"},  {"ScanOffset", "+0.0"},
  };
  return kSettings;
}

std::map<std::string, std::string> defaultValues() {
  std::map<std::string, std::string> values = factorySettings();
  values.insert({
      {"FWVersion", "V1.08"},        {"OPLVersion", "2.01A"},
      {"InstalledMemory", "128MB"},  {"AvailableMemory", "96MB"},
      {"TotalPages", "1234"},        {"JamCounts", "2"},
      {"GenuineTonerCount", "3"},    {"NonGenuineTonerCount", "0"},
      {"GenuineToner", "Yes"},       {"TonerRemain", "80"},
      {"TonerPartNumber", "QZT-3317"}, {"OPCRemain", "90"},
      {"OPCPartNumber", "QZD-3317"}, {"RunPaperSource", "Cassette"},
      {"RunPaperSize", "A4"},        {"HostName", "QZ3317VT"},
      {"UsbID", "7A3C5B21"},         {"CommMode", "HighSpeed"},
      {"ModelID", "QZ3317VT"},       {"ConFWDate", "2021-06-18"},
      {"EngFWVer", "E1.02"},         {"IP", "127.0.0.2"},
      {"Mask", "255.0.0.0"},         {"Gateway", "127.0.0.1"},
      {"MAC", "00:1B:A9:33:17:01"},
  });
  return values;
}

// The setup tool reads each imaging reply into this many bytes.
constexpr std::size_t kImagingReplyBuffer = 260;

std::string statusLine(std::string_view fields, int code) {
  char tail[24];
  std::snprintf(tail, sizeof tail, ";CODE=%05d\r\n", code);
  return std::string(fields) + tail;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool validSleep(std::string_view v) {
  if (v == "Off") return true;
  if (v.empty() || v.size() > 3) return false;
  for (char c : v) {
    if (!isDigit(c)) return false;
  }
  return true;
}

// "+1.5", "-0.5" or "1.5": sign, digit, point, digit. Returns the value
// with its sign, or nothing.
std::optional<std::string> normalOffset(std::string_view v) {
  std::string sign = "+";
  if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
    sign = std::string(1, v.front());
    v.remove_prefix(1);
  }
  if (v.size() != 3 || !isDigit(v[0]) || v[1] != '.' || !isDigit(v[2])) return std::nullopt;
  return sign + std::string(v);
}


// The scenario key of a word: a query as it stands, a statement by its item.
std::string wordKey(std::string_view token) {
  if (token.ends_with('?')) return std::string(token);
  return std::string(token.substr(0, token.find_first_of("=;")));
}

// Repeats the reply's lines until it holds `count` of them.
std::string repeatLines(const std::string& reply, int count) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < reply.size();) {
    auto end = reply.find('\n', start);
    end = end == std::string::npos ? reply.size() : end + 1;
    lines.push_back(reply.substr(start, end - start));
    start = end;
  }
  std::string out;
  for (int i = 0; i < count && !lines.empty(); ++i) {
    out += lines[static_cast<std::size_t>(i) % lines.size()];
  }
  return out;
}

void applyShape(std::string& reply, const WordBehaviour& behaviour) {
  if (behaviour.lines) reply = repeatLines(reply, *behaviour.lines);
  if (behaviour.zeroByte) {
    auto firstLineEnd = reply.find('\n');
    reply.insert(firstLineEnd == std::string::npos ? reply.size() : firstLineEnd + 1, 1, '\0');
  }
  if (behaviour.longReply) {
    while (reply.size() <= 600) reply += "FILLER-TEXT-WITHOUT-A-CODE-------------\r\n";
  }
}

}  // namespace

std::vector<std::string_view> splitWords(std::string_view request) {
  std::vector<std::string_view> words;
  while (!request.empty()) {
    auto end = request.find_first_of("?;");
    auto size = end == std::string_view::npos ? request.size() : end + 1;
    words.push_back(request.substr(0, size));
    request.remove_prefix(size);
  }
  return words;
}

PrinterModel::PrinterModel(const Scenario& scenario, const DeviceSpec& device)
    : values_(defaultValues()), status_(scenario.status) {
  for (const auto& [name, text] : scenario.values) values_[name] = text;
  for (const auto& [name, text] : device.values) values_[name] = text;
  statusName_ = scenario.statusName.value_or(
      status_ == 1 ? "Ready" : "Status" + std::to_string(status_));
}

std::string PrinterModel::value(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? std::string() : it->second;
}

Answer PrinterModel::answerPrinting(std::string_view request, const Scenario& scenario) {
  Answer answer;
  for (auto token : splitWords(request)) {
    std::string word = wordKey(token);
    const WordBehaviour& behaviour = scenario.behaviour(word);
    answer.noReply = answer.noReply || behaviour.noReply;
    answer.unplug = answer.unplug || behaviour.unplugDuringRead;
    answer.delay = std::max(answer.delay, behaviour.delay);
    std::string reply;
    if (behaviour.reply) {
      reply = *behaviour.reply;
    } else if (behaviour.errorCode) {
      reply = statusLine("Error=Refused", *behaviour.errorCode);
    } else {
      reply = answerWord(token, word);
    }
    applyShape(reply, behaviour);
    answer.extraChunks += behaviour.chunks;
    answer.reply += reply;
  }
  return answer;
}

std::string PrinterModel::answerWord(std::string_view token, const std::string& word) {
  if (const ItemQuery* query = findItemQuery(word)) {
    std::string reply;
    for (const auto& item : query->items) {
      reply += statusLine(std::string(item.name) + "=" + value(item.name), item.code);
    }
    return reply;
  }
  if (word == "Version?") {
    return statusLine("FWVersion=" + value("FWVersion") + ";OPLVersion=" + value("OPLVersion"),
                      100);
  }
  if (word == "Status?" || word == "Monitor?") {
    return statusLine("Status=" + statusName_, status_);
  }
  if (word == "LockPrinter?") return statusLine("Result=Locked", 2);
  if (word == "CancelJob?" || word == "UnlockPrinter?" || word == "MismatchPageAdd?" ||
      word == "MismatchPageDelete?" || word == "ContinuePrint?" || word == "GoNextPage?" ||
      word == "RetryCurrentPage?") {
    return statusLine("Result=OK", 1);
  }
  if (token.ends_with('?')) return statusLine("Error=UnknownItem", 3040);
  return answerStatement(token, word);
}

std::string PrinterModel::answerStatement(std::string_view token, const std::string& item) {
  if (token.ends_with(';')) token.remove_suffix(1);
  auto equals = token.find('=');
  std::string_view text = equals == std::string_view::npos ? "" : token.substr(equals + 1);
  if (equals == std::string_view::npos) {
    if (item == "ResetOPCLevel") {
      values_["OPCRemain"] = "100";
    } else if (item == "UserSetInitial") {
      for (const auto& [name, setting] : factorySettings()) values_[name] = setting;
    } else {
      return statusLine("Error=UnknownItem", 3040);
    }
    return statusLine(item + "=OK", 20);
  }
  if (item == "Event") {
    bool known = text == "StartOfJob" || text == "EndOfJob" || text == "EndOfPage";
    return known ? statusLine("Event=" + std::string(text), 20) : statusLine("Error=BadValue", 3040);
  }
  bool settable = factorySettings().contains(item) || item == "HostName";
  if (!settable) return statusLine("Error=UnknownItem", 3040);
  if (!applySetting(item, text)) return statusLine("Error=BadValue", 3040);
  return statusLine(item + "=" + values_[item], 20);
}

bool PrinterModel::applySetting(const std::string& item, std::string_view text) {
  std::optional<std::string> accepted;
  if (item == "SleepMode" && validSleep(text)) accepted = std::string(text);
  if (item == "CassettePaper" &&
      (text == "Auto" || text == "Letter" || text == "Legal" || text == "A4")) {
    accepted = std::string(text);
  }
  if (item == "TonerOutError" && (text == "Stop" || text == "Continue")) {
    accepted = std::string(text);
  }
  if (item == "FeedOffset" || item == "ScanOffset") accepted = normalOffset(text);
  if (item == "HostName" && !text.empty() && text.size() <= 15) accepted = std::string(text);
  if (!accepted) return false;
  values_[item] = *accepted;
  return true;
}

Answer PrinterModel::answerImaging(std::string_view request, const Scenario& scenario) {
  Answer answer;
  std::string word = wordKey(request);
  const WordBehaviour& behaviour = scenario.behaviour(word);
  answer.noReply = behaviour.noReply;
  answer.unplug = behaviour.unplugDuringRead;
  answer.delay = behaviour.delay;
  if (behaviour.reply) {
    answer.reply = *behaviour.reply;
  } else if (request == "CheckIP;") {
    answer.reply = "IPadd:";
    for (const char* name : {"IP", "Mask", "Gateway"}) {
      std::array<unsigned char, 4> octets{};
      ::inet_pton(AF_INET, value(name).c_str(), octets.data());
      answer.reply.append(reinterpret_cast<const char*>(octets.data()), octets.size());
    }
  } else if (request == "CheckMAC;") {
    answer.reply = "MACadd:" + value("MAC");
  } else {
    answer.noReply = true;
  }
  if (behaviour.pad260 && answer.reply.size() < kImagingReplyBuffer) {
    answer.reply.resize(kImagingReplyBuffer, 'F');
  }
  answer.leading.assign(static_cast<std::size_t>(behaviour.repliesBefore), "Busy;");
  return answer;
}

std::optional<std::size_t> PrinterModel::takeSetIp(std::string_view buffer) {
  constexpr std::string_view kPrefix = "SetIP=";
  constexpr std::size_t kLength = 19;
  if (!buffer.starts_with(kPrefix) || buffer.size() < kLength || buffer[kLength - 1] != ';') {
    return std::nullopt;
  }
  const char* names[] = {"IP", "Mask", "Gateway"};
  for (std::size_t i = 0; i < 3; ++i) {
    auto octets = buffer.substr(kPrefix.size() + 4 * i, 4);
    char text[INET_ADDRSTRLEN];
    ::inet_ntop(AF_INET, octets.data(), text, sizeof text);
    values_[names[i]] = text;
  }
  return kLength;
}

}  // namespace printer

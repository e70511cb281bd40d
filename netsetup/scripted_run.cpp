// The --find and --save runs on a headless form.
#include "netsetup/scripted_run.h"

#include <algorithm>
#include <ostream>

#include "netsetup/setup_form.h"
#include "netsetup/setup_texts.h"
#include "netsetup/setup_workflow.h"
#include "text/codepage.h"

namespace netsetup {

namespace {

// Code page 936 to UTF-8, with the dialog's CRLF line ends as "\n".
std::string forTerminal(const std::string& ansi) {
  std::string utf8 = platform::text::ansiToUtf8(ansi);
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    out += utf8[i];
  }
  return out;
}

void printLines(const SetupForm& form, std::ostream& out) {
  for (int control : {kIdStatusLine, kIdMac, kIdCurrentIp, kIdCurrentMask, kIdCurrentGateway}) {
    out << forTerminal(form.text(control)) << "\n";
  }
}

// A form whose boxes are printed as they show; a question is answered
// with `answer` after it is printed.
void printBoxes(SetupForm& form, std::ostream& out, bool answer) {
  auto print = [&out](const std::string& text) {
    out << forTerminal(texts::caption()) << ": " << forTerminal(text) << "\n";
  };
  form.onMessage(print);
  form.onConfirm([print, answer](const std::string& text) {
    print(text);
    return answer;
  });
}

// One part of a command-line address: empty is a blank octet; `ok` turns
// false for anything but one to three digits up to 255.
std::optional<std::uint8_t> octetArgument(std::string_view part, bool& ok) {
  ok = part.size() <= 3 &&
       std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!ok || part.empty()) return std::nullopt;
  unsigned value = 0;
  for (char c : part) value = value * 10 + static_cast<unsigned>(c - '0');
  ok = value <= 255;
  return static_cast<std::uint8_t>(value);
}

}  // namespace

std::string_view usage() {
  return "usage: lan_setter [--find | --save IP MASK GATEWAY [--force]]\n"
         "The network setup tool. It finds the printer on USB, or else over TCP port\n"
         "9100 at PrintPortInUse of win.ini section DRVSTM_QZ3317VT (192.168.1.160\n"
         "when empty), reads its address, mask, gateway and MAC address, and gives it\n"
         "new ones.\n"
         "  (no arguments)  the setup dialog: a window where the session has a\n"
         "                  display, text lines on standard input and output\n"
         "                  otherwise (QZ3317VT_UI=desktop or headless chooses)\n"
         "  --find          read the printer's settings and print them\n"
         "  --save IP MASK GATEWAY [--force]\n"
         "                  find, then give the printer these settings; settings that\n"
         "                  look wrong are refused unless --force (an empty part of an\n"
         "                  address is a blank octet, sent as 0)\n"
         "Files live under $QZ3317VT_ROOT. QZ3317VT_USB=sim talks to the simulated\n"
         "printer; QZ3317VT_NET=loopback-only refuses every address outside\n"
         "127.0.0.0/8. Exit status: 0 done, 1 failed, 2 usage error.\n"
         "--help and --version are taken only as the whole command line.\n";
}

std::optional<AddressField> parseFieldArgument(std::string_view text) {
  AddressField field;
  for (std::size_t index = 0; index < 4; ++index) {
    auto dot = text.find('.');
    if ((dot == std::string_view::npos) != (index == 3)) return std::nullopt;
    bool ok = false;
    field.setField(index, octetArgument(text.substr(0, dot), ok));
    if (!ok) return std::nullopt;
    text.remove_prefix(dot == std::string_view::npos ? text.size() : dot + 1);
  }
  return field;
}

std::optional<RunRequest> parseArguments(std::span<const std::string_view> arguments,
                                         std::string& error) {
  RunRequest request;
  if (arguments.empty()) return request;
  if (arguments[0] == "--find" && arguments.size() == 1) {
    request.kind = RunKind::Find;
    return request;
  }
  bool forced = arguments.size() == 5 && arguments[4] == "--force";
  if (arguments[0] != "--save" || (arguments.size() != 4 && !forced)) {
    error = "unknown arguments";
    return std::nullopt;
  }
  request.kind = RunKind::Save;
  request.force = forced;
  AddressField* fields[] = {&request.ip, &request.mask, &request.gateway};
  for (std::size_t i = 0; i < 3; ++i) {
    auto field = parseFieldArgument(arguments[i + 1]);
    if (!field) {
      error = "not an address: " + std::string(arguments[i + 1]);
      return std::nullopt;
    }
    *fields[i] = *field;
  }
  return request;
}

int runFind(std::ostream& out) {
  SetupForm form;
  printBoxes(form, out, false);
  SetupWorkflow workflow(form);
  workflow.initDialog();
  FindOutcome outcome = workflow.findDevice();
  printLines(form, out);
  return outcome == FindOutcome::Read ? kExitOk : kExitFailed;
}

int runSave(const RunRequest& request, std::ostream& out, std::ostream& err) {
  SetupForm form;
  printBoxes(form, out, request.force);
  SetupWorkflow workflow(form);
  workflow.initDialog();
  FindOutcome found = workflow.findDevice();
  printLines(form, out);
  if (found != FindOutcome::Read) return kExitFailed;
  form.field(kIdIpField) = request.ip;
  form.field(kIdMaskField) = request.mask;
  form.field(kIdGatewayField) = request.gateway;
  SaveOutcome saved = workflow.saveSettings();
  if (saved == SaveOutcome::Declined) {
    err << "lan_setter: settings not sent; --force sends them anyway\n";
    return kExitFailed;
  }
  printLines(form, out);
  return saved == SaveOutcome::Sent ? kExitOk : kExitFailed;
}

}  // namespace netsetup

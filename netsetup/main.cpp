// lan_setter: the network setup tool. Without arguments the setup dialog
// on the process's dialog host (QZ3317VT_UI);
// --find and --save run its workflow from the command line
// (netsetup/scripted_run.h).
#include <iostream>
#include <string_view>
#include <vector>

#include "base/program_info.h"
#include "base/standard_streams.h"
#include "netsetup/lan_setter_app.h"
#include "netsetup/scripted_run.h"

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  if (platform::base::answerInfoRequest(argc, argv, "lan_setter", netsetup::usage())) return 0;
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  std::string error;
  auto request = netsetup::parseArguments(arguments, error);
  if (!request) {
    std::cerr << "lan_setter: " << error << "\n" << netsetup::usage();
    return netsetup::kExitUsage;
  }
  switch (request->kind) {
    case netsetup::RunKind::Find:
      return netsetup::runFind(std::cout);
    case netsetup::RunKind::Save:
      return netsetup::runSave(*request, std::cout, std::cerr);
    case netsetup::RunKind::Dialog:
      break;
  }
  netsetup::Clan_setterApp app;
  app.InitInstance();
  return 0;
}

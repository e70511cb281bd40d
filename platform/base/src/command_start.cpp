// Starting a browser command line through the desktop's opener: fork a
// child that spawns the opener and exits at once, so no zombie is left and
// the caller learns whether the opener started.
#include "base/command_start.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace platform::base {

namespace {

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (auto& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool isBrowser(std::string_view program) {
  auto slash = program.find_last_of("\\/");
  auto name = lowerAscii(slash == std::string_view::npos ? program : program.substr(slash + 1));
  return name == "iexplore.exe" || name == "netscape.exe";
}

std::vector<std::string> splitBlanks(std::string_view text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    auto start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) out.emplace_back(text.substr(start, i - start));
  }
  return out;
}

// The argument vectors to try, in order.
std::vector<std::vector<std::string>> openers(const std::string& argument) {
  std::vector<std::vector<std::string>> result;
  if (const char* browser = std::getenv("BROWSER")) {
    std::string_view list = browser;
    while (!list.empty()) {
      auto colon = list.find(':');
      auto words = splitBlanks(list.substr(0, colon));
      list = colon == std::string_view::npos ? "" : list.substr(colon + 1);
      if (words.empty()) continue;
      bool placed = false;
      for (auto& word : words) {
        if (word == "%s") {
          word = argument;
          placed = true;
        }
      }
      if (!placed) words.push_back(argument);
      result.push_back(std::move(words));
    }
  }
  result.push_back({"xdg-open", argument});
  return result;
}

// Spawns argv from a child that exits at once; true when it started.
bool spawnDetached(std::vector<std::string> argv) {
  std::vector<char*> args;
  for (auto& word : argv) args.push_back(word.data());
  args.push_back(nullptr);
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    pid_t grandchild;
    int rc = ::posix_spawnp(&grandchild, args[0], nullptr, nullptr, args.data(), environ);
    ::_exit(rc == 0 ? 0 : 127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class DesktopStarter final : public CommandStarter {
 public:
  int start(std::string_view commandLine) override {
    auto parsed = parseCommandLine(commandLine);
    if (!isBrowser(parsed.program)) return kFileNotFound;
    for (auto& argv : openers(parsed.argument)) {
      if (spawnDetached(argv)) return kStarted;
    }
    return kFileNotFound;
  }
};

DesktopStarter desktopStarter;
CommandStarter* installed = nullptr;

}  // namespace

ParsedCommandLine parseCommandLine(std::string_view line) {
  std::size_t end;
  std::size_t rest;
  if (!line.empty() && line.front() == '"') {
    auto close = line.find('"', 1);
    if (close == std::string_view::npos) return {std::string(line.substr(1)), ""};
    end = close;
    rest = close + 1;
    std::string program(line.substr(1, end - 1));
    if (rest < line.size() && line[rest] == ' ') ++rest;
    return {program, std::string(line.substr(std::min(rest, line.size())))};
  }
  end = std::string_view::npos;
  auto lower = lowerAscii(line);
  for (auto at = lower.find(".exe"); at != std::string::npos; at = lower.find(".exe", at + 1)) {
    auto after = at + 4;
    if (after == lower.size() || lower[after] == ' ') {
      end = after;
      break;
    }
  }
  if (end == std::string_view::npos) end = std::min(line.find(' '), line.size());
  rest = end < line.size() ? end + 1 : end;
  return {std::string(line.substr(0, end)), std::string(line.substr(rest))};
}

CommandStarter& commandStarter() { return installed ? *installed : desktopStarter; }

void setCommandStarter(CommandStarter* replacement) { installed = replacement; }

}  // namespace platform::base

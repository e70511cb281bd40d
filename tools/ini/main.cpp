// qz3317vt-ini: one profile call from the command line, for the scripts and
// tests that stand in for the printer driver. It uses the same profile
// library as the programs, so its writes take the same folder lock.
//
//   qz3317vt-ini get FILE SECTION KEY [DEFAULT] [--size N] [--raw] [--utf16]
//   qz3317vt-ini get-int FILE SECTION KEY DEFAULT [--raw] [--utf16]
//   qz3317vt-ini set FILE SECTION KEY VALUE [--utf16]
//
// Without --utf16 names and values pass as bytes (8-bit form); with it they
// are UTF-8 on the command line and in the output, and the UTF-16 form is
// called. Exit code: 0 success, 1 when set wrote nothing, 2 usage error.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_info.h"
#include "text/codepage.h"
#include "base/standard_streams.h"
#include "profile/profile.h"

namespace {

constexpr int kOk = 0;
constexpr int kNotWritten = 1;
constexpr int kUsage = 2;
constexpr std::size_t kDefaultSize = 65536;

constexpr std::string_view kUsageText =
    "usage: qz3317vt-ini get FILE SECTION KEY [DEFAULT] [--size N] [--raw] [--utf16]\n"
    "       qz3317vt-ini get-int FILE SECTION KEY DEFAULT [--raw] [--utf16]\n"
    "       qz3317vt-ini set FILE SECTION KEY VALUE [--utf16]\n"
    "Options may stand anywhere after the command; \"--\" ends them.\n";

constexpr std::string_view kHelpText =
    "One profile call on an INI file, with the library and lock the programs use:\n"
    "what a script that plays the printer driver needs.\n"
    "  get      print a text key (DEFAULT when it is missing; --size N cuts it as a\n"
    "           buffer of N characters would)\n"
    "  get-int  print an integer key as the profile functions read it\n"
    "  set      write a key (the file and section are made when missing)\n"
    "  --raw    no line end after the value\n"
    "  --utf16  the UTF-16 form: names and values are UTF-8 here, UTF-16 calls;\n"
    "           without it they pass as bytes (the 8-bit form)\n"
    "Exit code: 0 success, 1 when set wrote nothing, 2 usage error.\n"
    "--help and --version are taken only as the whole command line.\n";

struct Options {
  std::string command;
  std::vector<std::string> args;
  std::optional<std::size_t> size;
  bool raw = false;
  bool utf16 = false;
};

std::optional<long long> parseNumber(std::string_view text, long long min, long long max) {
  if (text.empty()) return std::nullopt;
  std::string copy(text);
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(copy.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < min || value > max) return std::nullopt;
  return value;
}

std::optional<Options> parseOptions(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  Options options;
  options.command = argv[1];
  bool optionsEnded = false;
  for (int i = 2; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (optionsEnded || !arg.starts_with("--")) {
      options.args.emplace_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--raw") {
      options.raw = true;
    } else if (arg == "--utf16") {
      options.utf16 = true;
    } else if (arg == "--size" && i + 1 < argc) {
      auto size = parseNumber(argv[++i], 0, INT_MAX);
      if (!size) return std::nullopt;
      options.size = static_cast<std::size_t>(*size);
    } else {
      return std::nullopt;
    }
  }
  return options;
}

void print(std::string_view text, bool raw) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!raw) std::fputc('\n', stdout);
}

int runGet(const Options& o) {
  if (o.args.size() != 3 && o.args.size() != 4) return kUsage;
  std::string defaultValue = o.args.size() == 4 ? o.args[3] : std::string();
  std::size_t size = o.size.value_or(kDefaultSize);
  if (o.utf16) {
    using platform::text::utf8ToUtf16;
    auto value = platform::profile::getStringW(o.args[0], utf8ToUtf16(o.args[1]),
                                               utf8ToUtf16(o.args[2]),
                                               utf8ToUtf16(defaultValue), size);
    print(platform::text::utf16ToUtf8(value), o.raw);
  } else {
    print(platform::profile::getString(o.args[0], o.args[1], o.args[2], defaultValue, size),
          o.raw);
  }
  return kOk;
}

int runGetInt(const Options& o) {
  if (o.args.size() != 4 || o.size) return kUsage;
  auto defaultValue = parseNumber(o.args[3], INT_MIN, INT_MAX);
  if (!defaultValue) return kUsage;
  int fallback = static_cast<int>(*defaultValue);
  int value = 0;
  if (o.utf16) {
    using platform::text::utf8ToUtf16;
    value = platform::profile::getIntW(o.args[0], utf8ToUtf16(o.args[1]),
                                       utf8ToUtf16(o.args[2]), fallback);
  } else {
    value = platform::profile::getInt(o.args[0], o.args[1], o.args[2], fallback);
  }
  print(std::to_string(value), o.raw);
  return kOk;
}

int runSet(const Options& o) {
  if (o.args.size() != 4 || o.size || o.raw) return kUsage;
  bool written = false;
  if (o.utf16) {
    using platform::text::utf8ToUtf16;
    written = platform::profile::writeStringW(o.args[0], utf8ToUtf16(o.args[1]),
                                              utf8ToUtf16(o.args[2]), utf8ToUtf16(o.args[3]));
  } else {
    written = platform::profile::writeString(o.args[0], o.args[1], o.args[2], o.args[3]);
  }
  if (!written) {
    std::fprintf(stderr, "qz3317vt-ini: nothing written to %s (is its folder there and writable?)\n",
                 o.args[0].c_str());
  }
  return written ? kOk : kNotWritten;
}

int run(const Options& o) {
  if (o.command == "get") return runGet(o);
  if (o.command == "get-int") return runGetInt(o);
  if (o.command == "set") return runSet(o);
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  if (platform::base::answerInfoRequest(argc, argv, "qz3317vt-ini",
                                        std::string(kUsageText) + std::string(kHelpText))) {
    return 0;
  }
  auto options = parseOptions(argc, argv);
  int result = options ? run(*options) : kUsage;
  if (result == kUsage) std::fputs(kUsageText.data(), stderr);
  return result;
}

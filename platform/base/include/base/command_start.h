// Starting a program from a Windows command line, shown normally, without
// waiting for it.
//
// The program is the command line's first word: up to the closing quote
// when the line starts with a double quote, else up to the first blank
// after a word ending in ".exe" (case-blind), else up to the first blank.
// Everything after the program and its one blank is the argument, as one
// text. No shell ever sees the line.
//
// Windows programs do not run here. Only a web browser of the Windows
// desktop (program file name "iexplore.exe" or "netscape.exe", case-blind)
// is started, as the desktop's opener: each entry of $BROWSER in turn (a
// ":"-separated list; an entry's words are the program and its arguments,
// the word "%s" replaced by the argument, else the argument appended), then
// "xdg-open" with the argument. Programs are looked up on PATH.
//
// Results are those a Windows start reports: above 31 when the program
// started, kFileNotFound when it is no browser or no opener could start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::base {

inline constexpr int kStarted = 33;
inline constexpr int kFileNotFound = 2;

class CommandStarter {
 public:
  virtual ~CommandStarter() = default;
  virtual int start(std::string_view commandLine) = 0;
};

// The program and the argument of a command line, as described above.
struct ParsedCommandLine {
  std::string program;
  std::string argument;
};
ParsedCommandLine parseCommandLine(std::string_view commandLine);

// The process's starter: the desktop opener unless a test set another.
CommandStarter& commandStarter();
// nullptr returns to the desktop opener; the caller keeps `replacement` alive.
void setCommandStarter(CommandStarter* replacement);

}  // namespace platform::base

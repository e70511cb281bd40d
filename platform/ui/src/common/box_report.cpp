// Message boxes on standard error.
#include "common/box_report.h"

#include <cstdio>

namespace platform::ui {

const char* iconWord(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return "error";
    case MessageIcon::Warning:
      return "warning";
    case MessageIcon::None:
      break;
  }
  return "plain";
}

void reportBox(const MessageBoxRequest& request) {
  std::fprintf(stderr, "[message box, %s] %s\n%s\n", iconWord(request.icon), request.caption.c_str(),
               request.text.c_str());
  std::fflush(stderr);
}

void reportQuestion(const MessageBoxRequest& request) {
  std::fprintf(stderr, "[message box, question] %s\n%s\n(answered no)\n", request.caption.c_str(),
               request.text.c_str());
  std::fflush(stderr);
}

}  // namespace platform::ui

// Message boxes without a desktop: caption and text go to standard error.
#include "ui/message_box.h"

#include <cstdio>

namespace platform::ui {

namespace {

class StderrHost final : public MessageBoxHost {
 public:
  void show(const MessageBoxRequest& request) override {
    const char* kind = request.icon == MessageIcon::Error ? "error" : "warning";
    std::fprintf(stderr, "[message box, %s] %s\n%s\n", kind, request.caption.c_str(),
                 request.text.c_str());
    std::fflush(stderr);
  }
};

StderrHost defaultHost;
MessageBoxHost* currentHost = &defaultHost;

}  // namespace

void showMessageBox(const MessageBoxRequest& request) { currentHost->show(request); }

void setMessageBoxHost(MessageBoxHost* host) { currentHost = host ? host : &defaultHost; }

}  // namespace platform::ui

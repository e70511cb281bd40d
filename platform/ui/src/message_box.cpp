// Message boxes go to the process's dialog host unless a test set a host.
#include "ui/message_box.h"

#include "ui/host.h"

namespace platform::ui {

namespace {
MessageBoxHost* installedHost = nullptr;
}  // namespace

void showMessageBox(const MessageBoxRequest& request) {
  if (installedHost != nullptr) return installedHost->show(request);
  host().show(request);
}

void setMessageBoxHost(MessageBoxHost* host) { installedHost = host; }

}  // namespace platform::ui

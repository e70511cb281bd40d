// Which CUPS queues are the printer's, and of which kind each one is.
//
// A queue is the printer's when its make-and-model or its device URI names
// "QZ3317VT" (case-blind). Its kind follows the device URI's scheme: "usb"
// is the local kind, whose status and records go to QZ3317VT_SMD.DAT with
// the port "USB001"; "ipp", "ipps", "http", "https", "socket", "lpd" and
// "dnssd" are the network kind (QZ3317VT_SMD_NET.DAT). Any other scheme, or
// a URI the server keeps to itself, counts as local: the status window then
// still shows the queue's state.
#pragma once

#include <filesystem>
#include <string_view>

#include "print/print_server.h"

namespace bridge {

enum class QueueKind { Local, Network };

bool isPrinterQueue(const platform::print::QueueAttributes& queue);
QueueKind kindOf(std::string_view deviceUri);

// The exchange file of the kind in the record folder.
std::filesystem::path exchangeFileOf(QueueKind kind);
// The recorder's log word for print records of the kind.
const char* printLogWord(QueueKind kind);

}  // namespace bridge

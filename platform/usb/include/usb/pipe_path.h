// Pipe names on the USB bus: a device path followed by a pipe suffix.
//
// "\PIPE00" and "\PIPE01" name the write and read pipes of the printing
// interface, "\1" and "\0" those of the imaging interface. A path without
// one of these suffixes is the bare device path, which names the whole
// interface and is only test-opened. Both backends split names this way.
#pragma once

#include <optional>
#include <string_view>

#include "usb/bus.h"

namespace platform::usb {

enum class PipeKind { Interface, WritePipe, ReadPipe };

struct PipeName {
  std::string_view devicePath;
  PipeKind kind = PipeKind::Interface;
  // The interface class the suffix belongs to; nullopt for a bare path.
  std::optional<InterfaceClass> suffixClass;
};

// Splits `path` into its device path and pipe suffix. The result views
// into `path`.
PipeName parsePipeName(std::string_view path);

// Whether a handle opened with `access` may be used on a pipe of `kind`:
// the write pipe takes Write or ReadWrite, the read pipe Read or ReadWrite,
// the bare interface any access.
bool accessFitsPipe(PipeKind kind, Access access);

}  // namespace platform::usb

// Splitting pipe names into device path and suffix.
#include "usb/pipe_path.h"

#include <array>
#include <string_view>

namespace platform::usb {

namespace {

struct Suffix {
  std::string_view text;
  PipeKind kind;
  InterfaceClass cls;
};

constexpr std::array<Suffix, 4> kSuffixes{{
    {"\\PIPE00", PipeKind::WritePipe, InterfaceClass::Printing},
    {"\\PIPE01", PipeKind::ReadPipe, InterfaceClass::Printing},
    {"\\1", PipeKind::WritePipe, InterfaceClass::Imaging},
    {"\\0", PipeKind::ReadPipe, InterfaceClass::Imaging},
}};

}  // namespace

PipeName parsePipeName(std::string_view path) {
  for (const auto& suffix : kSuffixes) {
    if (path.size() <= suffix.text.size() || !path.ends_with(suffix.text)) continue;
    return {path.substr(0, path.size() - suffix.text.size()), suffix.kind, suffix.cls};
  }
  return {path, PipeKind::Interface, std::nullopt};
}

bool accessFitsPipe(PipeKind kind, Access access) {
  switch (kind) {
    case PipeKind::Interface:
      return true;
    case PipeKind::WritePipe:
      return access != Access::Read;
    case PipeKind::ReadPipe:
      return access != Access::Write;
  }
  return false;
}

}  // namespace platform::usb

// Job attributes to "JobInfo" numbers.
#include "bridge/job_settings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace bridge {
namespace {

constexpr int kCustomSize = 22;

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

struct SizeName {
  std::string_view pwg;
  std::string_view shortName;
  int number;
};

// The window's size numbers (0 A4 ... 19 IB5); 20 and 21 (A3F, A3W) have
// no media keyword of their own.
constexpr std::array<SizeName, 20> kSizes{{
    {"iso_a4_210x297mm", "a4", 0},
    {"iso_a3_297x420mm", "a3", 1},
    {"iso_a5_148x210mm", "a5", 2},
    {"jis_b4_257x364mm", "b4", 3},
    {"jis_b5_182x257mm", "b5", 4},
    {"na_letter_8.5x11in", "letter", 5},
    {"na_invoice_5.5x8.5in", "statement", 6},
    {"na_legal_8.5x14in", "legal", 7},
    {"na_govt-letter_8x10in", "govtletter", 8},
    {"na_foolscap_8.5x13in", "govtlegal", 9},
    {"na_ledger_11x17in", "tabloid", 10},
    {"na_executive_7.25x10.5in", "executive", 11},
    {"om_folio_210x330mm", "folio", 12},
    {"prc_16k_184x260mm", "16k", 13},
    {"na_monarch_3.875x7.5in", "monarch", 14},
    {"na_number-10_4.125x9.5in", "env10", 15},
    {"iso_dl_110x220mm", "envdl", 16},
    {"iso_c5_162x229mm", "envc5", 17},
    {"iso_c6_114x162mm", "envc6", 18},
    {"iso_b5_176x250mm", "isob5", 19},
}};

}  // namespace

int paperSizeNumber(const std::string& media) {
  if (media.empty()) return 0;
  std::string name = lower(media);
  for (const SizeName& size : kSizes)
    if (name == size.pwg || name == size.shortName) return size.number;
  return kCustomSize;
}

int paperSourceNumber(const std::string& source) {
  std::string name = lower(source);
  if (name.empty() || name == "auto") return 0;
  if (name == "manual" || name == "by-pass-tray" || name == "multi-purpose" || name == "envelope") return 2;
  return 1;
}

int paperTypeNumber(const std::string& type) {
  std::string name = lower(type);
  return name.starts_with("stationery-heavyweight") || name.starts_with("cardstock") ? 1 : 0;
}

KeyValues jobSettings(const platform::print::JobAttributes& job) {
  int dpiX = job.xResolution;
  int dpiY = job.yResolution;
  if (dpiX <= 0 || dpiY <= 0) dpiX = dpiY = job.printQuality == 5 ? 1200 : 600;
  return {
      {"xResolution", std::to_string(std::max(dpiX / 600 - 1, 0))},
      {"yResolution", std::to_string(dpiY)},
      {"Copies", std::to_string(std::max(job.copies, 1))},
      {"ZoomOptions", "0"},
      {"PaperSize", std::to_string(paperSizeNumber(job.media))},
      {"ZoomPaperSize", "0"},
      {"PaperSource", std::to_string(paperSourceNumber(job.mediaSource))},
      {"PaperType", std::to_string(paperTypeNumber(job.mediaType))},
  };
}

}  // namespace bridge

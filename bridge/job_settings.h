// The "JobInfo" values of a job, from its IPP attributes, as the status
// window reads them (all integers):
//   "Copies"        copies
//   "xResolution"   dots per inch / 600 - 1 (the window shows (x + 1) * 600),
//   "yResolution"   dots per inch; from printer-resolution, else from
//                   print-quality (high 1200, draft and normal 600), else 600
//   "PaperSize"     the window's size number of the media keyword (PWG name
//                   or its common short name, case-blind); 0 (A4) without a
//                   media, 22 (custom) for a media not in the list
//   "PaperSource"   media-source: 0 auto or none, 1 a tray, 2 manual feed
//   "PaperType"     media-type: 1 heavy stock, 0 anything else
//   "ZoomOptions", "ZoomPaperSize"  0: print systems do not zoom by size
// Collation (multiple-document-handling) has no key in "JobInfo" and is
// not written.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "print/print_server.h"

namespace bridge {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

KeyValues jobSettings(const platform::print::JobAttributes& job);

int paperSizeNumber(const std::string& media);
int paperSourceNumber(const std::string& source);
int paperTypeNumber(const std::string& type);

}  // namespace bridge

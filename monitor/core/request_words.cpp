// The request word table, in index order.
#include "monitor/core/request_words.h"

namespace monitor {

namespace {
constexpr std::string_view kFreeSize = "free_size_21.4x25.7mm";
constexpr std::string_view kCustomA4 = "custom_size_21.0x29.7mm";
}  // namespace

const std::array<std::string_view, kRequestWordCount> kRequestWords = {
    // 0-5: raster objects
    "RasterObject.Compression", "RasterObject.Width", "RasterObject.Height",
    "RasterObject.Planes", "RasterObject.BitsPerPixel", "RasterObject.Data",
    // 6-8: job events, complete statements
    "Event=StartOfJob;", "Event=EndOfJob;", "Event=EndOfPage;",
    // 9-22: job items
    "Origin.Top", "Origin.Left", "Resolution", "MediaSize", "MediaType",
    "MediaInputTrayCheck", "Copies", "Sides", "Temp", "HostName", "ExtendArea",
    "IgnorePaper", "AutoContinue", "NumberOfDots",
    // 23-29: settings
    "SleepMode", "CassettePaper", "TonerOutError", "ResetOPCLevel", "FeedOffset",
    "ScanOffset", "UserSetInitial",
    // 30-35: service counters
    "SER.TotalPages", "SER.JamCount", "SER.GenuineTonerCount", "SER.NonGenuineTonerCount",
    "SER.TonerLifeCount", "SER.OPCLifeCount",
    // 36
    "EEPROMClear",
    // 37-42: engine tests
    "TEST.MainMotor", "TEST.CheckLSU", "TEST.CheckSolenoid", "TEST.Fan", "TEST.TRControl",
    "TEST.FuserTemp",
    // 43
    "OSVersion",
    // 44-59: queries
    "Features?", "Version?", "CancelJob?", "LockPrinter?", "UnlockPrinter?", "Status?",
    "SER.Features?", "CSICValues?", "OPCValues?", "Monitor?", "USBInfo?",
    "MismatchPageAdd?", "MismatchPageDelete?", "ContinuePrint?", "GoNextPage?",
    "RetryCurrentPage?",
    // 60-63
    "Windows", "Collate", "PageOrder", "StatusID",
    // 64-69: host systems
    "Windows98", "Windows98SE", "WindowsME", "Windows2000", "WindowsXP", "Windows2003",
    // 70: no word
    "",
    // 71-74: resolutions
    "600x600", "300x300", "1200x600", "1200x1200",
    // 75-77: paper sources
    "auto", "cassette", "manual",
    // 78-98: media sizes
    "na_a4_210x297mm", kCustomA4, "na_a5_148x210mm", kCustomA4, "na_b5_182x257mm",
    "na_letter_8.5x11in", "na_invoice_5.5x8.5in", "na_legal_8.5x14in",
    "na_govt-letter_8x10.5in", "na_govt-legal_8.5x13in", kCustomA4,
    "na_executive_7.25x10.5in", "na_f4_210x330mm", "na_monarch_3.875x7.5in",
    "na_number-10_4.125x9.5in", "na_dl_110x220mm", "na_c5_162x229mm", "na_c6_114x162mm",
    "na_iso-b5_176x250mm", kCustomA4, kCustomA4,
    // 99-116: free sizes
    kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize,
    kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize, kFreeSize,
    kFreeSize, kFreeSize,
    // 117-119
    kCustomA4, "custom_size_9.8x14.8mm", "custom_size_21.6x35.56mm",
};

}  // namespace monitor

// Which keys go into which columns, and which column failures the user is
// told about.
#include "logrecorder/record_rows.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "logrecorder/log_records.h"
#include "logrecorder/record_paths.h"
#include "logrecorder/system_names.h"

namespace logrecorder {

namespace {

// An integer as "%d" prints it.
std::u16string decimal(int value) {
  std::u16string text;
  for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
  return text;
}

LogRow printRow(const std::filesystem::path& source, std::u16string table) {
  const auto record = readPrintRecord(source);
  return LogRow{std::move(table),
                {
                    {u"用户名", record.userName},
                    {u"计算机名", record.computerName},
                    {u"文件名", record.documentName},
                    {u"打印时间", record.printTime},
                    {u"打印页数", decimal(record.pageNum)},
                    {u"打印份数", decimal(record.copies)},
                    {u"打印结果", record.printResult},
                }};
}

// The names come from the system; a failure of the first three columns is
// silent, of the others it is shown.
LogRow scanRow(const std::filesystem::path& source, std::u16string table) {
  const auto record = readScanRecord(source);
  constexpr bool kShown = true;
  return LogRow{std::move(table),
                {
                    {u"计算机名", nameWithRetries(systemComputerName)},
                    {u"计算机账户名", nameWithRetries(systemUserName)},
                    {u"文件名", record.docName},
                    {u"扫描类型", record.scanSource, kShown},
                    {u"扫描模式", record.scanMode, kShown},
                    {u"分辨率", record.resolution, kShown},
                    {u"扫描页数", decimal(record.pages), kShown},
                    {u"扫描时间", record.time, kShown},
                    {u"扫描结果", record.result, kShown},
                }};
}

}  // namespace

LogRow copyLogRow() {
  const auto record = readCopyRecord(settingsFile());
  return LogRow{u"CopyLog",
                {
                    {u"复印时间", record.time},
                    {u"复印页数", decimal(record.copyPages)},
                    {u"打印页数", decimal(record.printPages)},
                }};
}

LogRow printLogRow() { return printRow(exchangeFile(), u"PRINTDOC"); }
LogRow printLogNetRow() { return printRow(networkExchangeFile(), u"PRINTDOC_NET"); }
LogRow scanLogRow() { return scanRow(settingsFile(), u"ScanLog"); }
LogRow scanLogNetRow() { return scanRow(networkSettingsFile(), u"ScanLog_NET"); }

}  // namespace logrecorder

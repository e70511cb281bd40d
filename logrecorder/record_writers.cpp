// The record writers: which keys go into which columns, and which column
// failures the user is told about.
#include "logrecorder/record_writers.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "logrecorder/log_records.h"
#include "logrecorder/record_paths.h"
#include "logrecorder/row_append.h"
#include "logrecorder/system_names.h"

namespace logrecorder {

namespace {

// An integer as "%d" prints it.
std::u16string decimal(int value) {
  std::u16string text;
  for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
  return text;
}

int writePrint(const std::filesystem::path& source, std::u16string_view sql) {
  const auto record = readPrintRecord(source);
  return appendRow(sql, {
                            {u"用户名", [&] { return record.userName; }},
                            {u"计算机名", [&] { return record.computerName; }},
                            {u"文件名", [&] { return record.documentName; }},
                            {u"打印时间", [&] { return record.printTime; }},
                            {u"打印页数", [&] { return decimal(record.pageNum); }},
                            {u"打印份数", [&] { return decimal(record.copies); }},
                            {u"打印结果", [&] { return record.printResult; }},
                        });
}

// The names come from the system, each while its own column is set; a
// failure of the first three columns is silent, of the others it is shown.
int writeScan(const std::filesystem::path& source, std::u16string_view sql) {
  const auto record = readScanRecord(source);
  constexpr bool kShown = true;
  return appendRow(
      sql, {
               {u"计算机名", [] { return nameWithRetries(systemComputerName); }},
               {u"计算机账户名", [] { return nameWithRetries(systemUserName); }},
               {u"文件名", [&] { return record.docName; }},
               {u"扫描类型", [&] { return record.scanSource; }, kShown},
               {u"扫描模式", [&] { return record.scanMode; }, kShown},
               {u"分辨率", [&] { return record.resolution; }, kShown},
               {u"扫描页数", [&] { return decimal(record.pages); }, kShown},
               {u"扫描时间", [&] { return record.time; }, kShown},
               {u"扫描结果", [&] { return record.result; }, kShown},
           });
}

}  // namespace

int writeCopyLog() {
  const auto record = readCopyRecord(settingsFile());
  return appendRow(u"Select * from CopyLog",
                   {
                       {u"复印时间", [&] { return record.time; }},
                       {u"复印页数", [&] { return decimal(record.copyPages); }},
                       {u"打印页数", [&] { return decimal(record.printPages); }},
                   });
}

int writePrintLog() { return writePrint(exchangeFile(), u"Select * from PRINTDOC"); }
int writePrintLogNet() { return writePrint(networkExchangeFile(), u"Select * from PRINTDOC_NET"); }
int writeScanLog() { return writeScan(settingsFile(), u"Select * from ScanLog"); }
int writeScanLogNet() { return writeScan(networkSettingsFile(), u"Select * from ScanLog_NET"); }

}  // namespace logrecorder

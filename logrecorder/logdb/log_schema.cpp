// The five tables of the usage log.
#include "logrecorder/logdb/log_schema.h"

namespace logdb {

std::u16string_view usageLogSchema() {
  return u"CREATE TABLE PRINTDOC ("
         u"用户名 VARCHAR(259), 计算机名 VARCHAR(259), 文件名 VARCHAR(259), "
         u"打印时间 VARCHAR(259), 打印页数 INTEGER, 打印份数 INTEGER, 打印结果 VARCHAR(259));\n"
         u"CREATE TABLE PRINTDOC_NET ("
         u"用户名 VARCHAR(259), 计算机名 VARCHAR(259), 文件名 VARCHAR(259), "
         u"打印时间 VARCHAR(259), 打印页数 INTEGER, 打印份数 INTEGER, 打印结果 VARCHAR(259));\n"
         u"CREATE TABLE ScanLog ("
         u"计算机名 VARCHAR(259), 计算机账户名 VARCHAR(259), 文件名 VARCHAR(259), "
         u"扫描类型 VARCHAR(259), 扫描模式 VARCHAR(259), 分辨率 VARCHAR(259), 扫描页数 INTEGER, "
         u"扫描时间 VARCHAR(259), 扫描结果 VARCHAR(259));\n"
         u"CREATE TABLE ScanLog_NET ("
         u"计算机名 VARCHAR(259), 计算机账户名 VARCHAR(259), 文件名 VARCHAR(259), "
         u"扫描类型 VARCHAR(259), 扫描模式 VARCHAR(259), 分辨率 VARCHAR(259), 扫描页数 INTEGER, "
         u"扫描时间 VARCHAR(259), 扫描结果 VARCHAR(259));\n"
         u"CREATE TABLE CopyLog (复印时间 VARCHAR(259), 复印页数 INTEGER, 打印页数 INTEGER);\n";
}

}  // namespace logdb

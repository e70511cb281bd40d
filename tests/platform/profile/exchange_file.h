// A realistic exchange file: the sections the driver and the monitor share,
// about 80 keys and 3 KB, as the monitor finds it during a print job.
#pragma once

#include <string>

namespace profile_test {

inline std::string exchangeFileContent() {
  std::string text =
      "[DRVSPA]\r\nzPort=USB001\r\nPrinting=1\r\nSentinel=begin\r\nPopupWindow=1\r\n"
      "AutoClose=0\r\nSoundAlarm=0\r\nLanguage=936\r\nTrayIcon=1\r\n"
      "[DRVMSG]\r\nmsgCode=44114\r\nmsgResult=0\r\nmsgRun=1\r\nSTMreaddata=0\r\n"
      "msgPage=3\r\nmsgCopies=1\r\nmsgTitle=\r\n"
      "[DRVDRV]\r\nDriverVersion=1.0.7.3\r\nModel=QZ3317VT\r\nInstallPath=C:\\Program Files\\VARN\r\n"
      "PortMonitor=USB\r\nSpoolFolder=C:\\Windows\\System32\\spool\\PRINTERS\r\n"
      "[DRVSET]\r\n";
  const char* settings[] = {"EcoMode", "SleepTime", "Density", "TonerSave", "PowerOff",
                            "AutoContinue", "PaperSize", "PaperType", "Duplex", "Quiet",
                            "DateFormat", "TimeFormat", "Contrast", "Brightness", "Region"};
  int n = 0;
  for (const char* key : settings) text += std::string(key) + "=" + std::to_string(++n) + "\r\n";
  text += "[DRVGET]\r\n";
  const char* device[] = {"FWVersion", "EngineVersion", "BootVersion", "SerialNo",
                          "TonerRemain", "DrumRemain", "TonerPages", "DrumPages",
                          "TotalPages", "CopyPages", "ScanPages", "PrintPages",
                          "JamCount", "USBVid", "USBPid", "USBSerial", "Features",
                          "SerFeatures", "CSIC1", "CSIC2", "CSIC3", "OPC1", "OPC2",
                          "OPC3", "Status", "StatusText", "TrayState", "CoverState"};
  for (const char* key : device) text += std::string(key) + "=" + std::to_string(++n * 37) + "\r\n";
  text += "[DRVCMD]\r\nCmdCount=3\r\nCmdResult=0\r\n";
  for (int i = 1; i <= 10; ++i) text += "Cmd" + std::to_string(i) + "=EcoMode=" + std::to_string(i % 2) + ";\r\n";
  text += "[JobInfo]\r\nDocName=Quarterly report final version.docx\r\nUserName=operator\r\n"
          "ComputerName=WORKSTATION-07\r\nPages=12\r\nCopies=2\r\nColorMode=0\r\n"
          "Resolution=600\r\nSubmitted=2026-12-11 09:30:15\r\nJobId=1874\r\nEnd=end\r\n";
  return text;
}

}  // namespace profile_test

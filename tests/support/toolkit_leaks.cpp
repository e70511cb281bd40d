// For test programs that run the GUI toolkit in their own process: the
// leak checker leaves alone what the toolkit's libraries keep until exit
// (the same list as toolkit_leaks.supp, which spawned programs get).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libQt6\nleak:libxcb\nleak:libX11\nleak:libglib-2.0\n"
         "leak:libdbus-1\n";
}

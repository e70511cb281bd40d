// The test program's entry: it runs itself again under umockdev's preload
// library when it was started without it, so that CTest, a debugger or a
// shell can start it plainly. Programs it starts inherit the preload.
#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kRestarted = "QZ_UMOCKDEV_RESTARTED";

// Whether the preload library is loaded into this process.
bool underPreload() { return ::dlopen(QZ_UMOCKDEV_PRELOAD, RTLD_NOW | RTLD_NOLOAD) != nullptr; }

void prependTo(const char* variable, const std::string& value, char separator) {
  const char* old = std::getenv(variable);
  std::string joined = value;
  if (old != nullptr && *old != '\0') joined += separator + std::string(old);
  ::setenv(variable, joined.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (!underPreload()) {
    if (std::getenv(kRestarted) != nullptr) {
      std::fprintf(stderr, "umockdev's preload library %s did not load\n", QZ_UMOCKDEV_PRELOAD);
      return 1;
    }
    ::setenv(kRestarted, "1", 1);
    prependTo("LD_PRELOAD", QZ_UMOCKDEV_PRELOAD, ':');
    // The sanitizers' runtime wants to come first; the preload comes first
    // instead, which is harmless here.
    prependTo("ASAN_OPTIONS", "verify_asan_link_order=0", ':');
    ::execv("/proc/self/exe", argv);
    std::perror("cannot run the test again under umockdev");
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

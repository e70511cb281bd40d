// Holding one USB interface while pipes to it are open.
//
// The kernel's printer driver normally owns the interface. The first pipe
// takes it over: the driver is detached (only when one is bound), the
// interface claimed; when the last pipe closes the interface is released and
// the driver attached again (only when this claim detached it), so that
// other programs can print between transactions. The operations are
// injected so that the order can be checked without a device.
#pragma once

#include <cstdint>

namespace platform::usb {

// The device operations the claim needs, on one open device.
class ClaimOperations {
 public:
  virtual ~ClaimOperations() = default;
  // Called first, once per claim. Returns whether a kernel driver is bound
  // to the interface now.
  virtual bool kernelDriverActive(std::uint8_t interfaceNumber) = 0;
  // Called only when a driver is bound. Returns whether it was unbound.
  virtual bool detachKernelDriver(std::uint8_t interfaceNumber) = 0;
  // Called after a successful detach, or when no driver was bound. Returns
  // whether the interface is now ours.
  virtual bool claimInterface(std::uint8_t interfaceNumber) = 0;
  // Called once for a successful claim, when the claim ends.
  virtual void releaseInterface(std::uint8_t interfaceNumber) = 0;
  // Called once after the release (or after a failed claim) when this
  // claim detached the driver.
  virtual void attachKernelDriver(std::uint8_t interfaceNumber) = 0;
};

// One claim of one interface; released by the destructor. The operations
// must outlive the claim.
class InterfaceClaim {
 public:
  // Detaches the kernel driver if one is bound, then claims. On failure
  // everything done so far is undone and claimed() is false.
  InterfaceClaim(ClaimOperations& operations, std::uint8_t interfaceNumber);
  ~InterfaceClaim();
  InterfaceClaim(const InterfaceClaim&) = delete;
  InterfaceClaim& operator=(const InterfaceClaim&) = delete;

  bool claimed() const { return claimed_; }

 private:
  ClaimOperations& operations_;
  std::uint8_t interfaceNumber_;
  bool detached_ = false;
  bool claimed_ = false;
};

}  // namespace platform::usb

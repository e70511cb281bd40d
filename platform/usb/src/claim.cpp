// Detach, claim, release and reattach, in that order.
#include "claim.h"

namespace platform::usb {

InterfaceClaim::InterfaceClaim(ClaimOperations& operations, std::uint8_t interfaceNumber)
    : operations_(operations), interfaceNumber_(interfaceNumber) {
  if (operations_.kernelDriverActive(interfaceNumber_)) {
    if (!operations_.detachKernelDriver(interfaceNumber_)) return;
    detached_ = true;
  }
  claimed_ = operations_.claimInterface(interfaceNumber_);
  if (!claimed_ && detached_) {
    operations_.attachKernelDriver(interfaceNumber_);
    detached_ = false;
  }
}

InterfaceClaim::~InterfaceClaim() {
  if (claimed_) operations_.releaseInterface(interfaceNumber_);
  if (detached_) operations_.attachKernelDriver(interfaceNumber_);
}

}  // namespace platform::usb

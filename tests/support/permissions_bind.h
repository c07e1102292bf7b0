#pragma once
// File permissions that bind the test even when it runs as root. Root passes
// them by two capabilities; while a PermissionsBind lives they are out of
// the calling thread's effective set (and so out of every thread it starts
// meanwhile), and they come back when it goes. For anyone else it changes
// nothing: the permissions bind already.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

class PermissionsBind {
 public:
  PermissionsBind() {
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~PermissionsBind() {
    if (lowered_) ::syscall(SYS_capset, &header_, saved_);
  }
  PermissionsBind(const PermissionsBind&) = delete;
  PermissionsBind& operator=(const PermissionsBind&) = delete;

  // Whether a folder of mode 000 now keeps this thread out.
  bool binds() const { return lowered_ || ::geteuid() != 0; }

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool lowered_ = false;
};

}  // namespace testsupport

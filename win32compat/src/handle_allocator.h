// Handle values for the objects of one system. They are plain numbers, never pointers to the
// objects, so a stale or made-up handle is recognised as invalid instead of being followed.
#pragma once

#include <cstdint>

namespace win32compat {

class HandleAllocator {
 public:
  template <typename Handle>
  Handle Next() {
    const std::uintptr_t value = next_;
    next_ += kStep;
    return reinterpret_cast<Handle>(value);
  }

 private:
  // Starts where Windows' own user handles start; a step of 4 leaves the low bits clear.
  static constexpr std::uintptr_t kStep = 4;
  std::uintptr_t next_ = 0x10010;
};

}  // namespace win32compat

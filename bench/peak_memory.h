#pragma once

#include <cstdint>
#include <functional>

// The peak of resident memory that work adds, in bytes: it runs in a child process whose peak
// (VmHWM) is reset to its resident size (VmRSS) first, so neither the benchmark's own memory nor
// earlier decodes count. 0 when the system cannot say (no /proc).
std::uint64_t PeakMemoryOf(const std::function<void()>& work);

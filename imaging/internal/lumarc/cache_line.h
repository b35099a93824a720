#pragma once

#include <cstddef>

namespace Lumarc {

// With a worker (SetThreads), what one thread writes at every unit is kept on cache lines of its
// own, apart from anything the other thread reads: a line both use moves between the cores at
// every write. (std::hardware_destructive_interference_size would say the same, but differs
// between compiler versions and warns in headers.)
inline constexpr std::size_t kCacheLineBytes = 64;

}  // namespace Lumarc

#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <stdexcept>

#include "lumarc/image_component.h"

namespace Lumarc {

// A reader's component slots, one for each identifier byte but 255. A stream names one or three
// of them, so a slot is made the first time it is asked for, and is then kept as long as the
// reader with whatever frames set in it: a slot an earlier image configured keeps its sampling
// factors. A new reader thus makes a few components rather than 255 of them.
class ComponentSlots {
 public:
  static constexpr std::uint32_t kCount = 255;

  // The slot of identifier id (below kCount), made now if no one asked for it before.
  ImageComponent& operator[](std::uint32_t id) {
    std::uint8_t& position = position_of_id[id];
    if (position == kNotMade) {
      made.emplace_back();
      position = static_cast<std::uint8_t>(made.size() - 1);
    }
    return made[position];
  }
  // A slot never asked for reads as a new component.
  const ImageComponent& operator[](std::uint32_t id) const {
    const std::uint8_t position = position_of_id[id];
    return position == kNotMade ? NeverMade() : made[position];
  }
  const ImageComponent& at(std::uint32_t id) const {
    if (id >= kCount) throw std::out_of_range("component slot");
    return (*this)[id];
  }

  // The slots made so far, in the order they were made; a slot never made holds no buffers.
  auto begin() { return made.begin(); }
  auto end() { return made.end(); }
  auto begin() const { return made.begin(); }
  auto end() const { return made.end(); }

 private:
  // At most kCount slots are ever made, so positions 0 to 254 fit a byte beside this mark.
  static constexpr std::uint8_t kNotMade = 0xFF;

  static const ImageComponent& NeverMade() {
    static const ImageComponent never_made;
    return never_made;
  }

  std::array<std::uint8_t, kCount> position_of_id = FilledWith(kNotMade);
  // A deque: a component is neither copied nor moved, and the scans keep pointers to slots.
  std::deque<ImageComponent> made;

  static constexpr std::array<std::uint8_t, kCount> FilledWith(std::uint8_t value) {
    std::array<std::uint8_t, kCount> result{};
    result.fill(value);
    return result;
  }
};

}  // namespace Lumarc

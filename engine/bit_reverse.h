#pragma once
// Facsimiles travel with the bit order of every byte reversed.

#include <cstddef>
#include <span>

namespace veltrane {

// Reverses the bit order of every byte in place: 0x01 becomes 0x80, 0x0F becomes 0xF0.
void reverseBitsInEachByte(std::span<std::byte> bytes);

}  // namespace veltrane

// Immutable shared byte buffers, as the platform's NSData. Absent is an empty
// pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace foundation {

using NSData = std::vector<std::uint8_t>;
using NSDataRef = std::shared_ptr<const NSData>;

}  // namespace foundation

#pragma once

#include <cstdint>
#include <string>

namespace veyra {

// Seconds since 1970 as "YYYY-MM-DD HH:MM:SS UTC", for messages about expiry.
std::string UtcTimeText(int64_t seconds);

}  // namespace veyra

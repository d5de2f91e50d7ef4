#pragma once

#include <cstddef>

namespace veyra::testing {

// Records the largest single operator-new request made by any thread while it lives.
class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  size_t largest() const;
};

}  // namespace veyra::testing

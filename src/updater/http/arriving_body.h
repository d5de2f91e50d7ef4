#pragma once

#include <cstddef>

namespace veyra {

// Work done on a body while it is still arriving (expanding it, applying it), so that little is
// left once it is complete. Nothing done here may be used before the whole body is proven.
class ArrivingBody {
 public:
  virtual ~ArrivingBody() = default;
  // Forgets everything, for a body that starts arriving anew.
  virtual void Restart() = 0;
  // Goes on from the first `available` bytes of the body. The bytes may move between calls (a
  // growing buffer) but must not change.
  virtual void Advance(const void* source, size_t available) = 0;
};

}  // namespace veyra

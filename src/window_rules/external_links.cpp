#include "window_rules/external_links.h"

#include "platform/ascii_case.h"

namespace veyra {

bool IsWebAddress(std::string_view address) {
  for (const unsigned char c : address) {
    if (c <= 0x20 || c == 0x7F) return false;
  }
  for (const std::string_view scheme : {"http://", "https://"}) {
    if (address.size() > scheme.size() &&
        EqualsIgnoringAsciiCase(address.substr(0, scheme.size()), scheme)) {
      return true;
    }
  }
  return false;
}

}  // namespace veyra

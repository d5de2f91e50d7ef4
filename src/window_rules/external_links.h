#pragma once

#include <string_view>

// Pages shown in the game's windows may ask for a new window (a link with target="_blank",
// window.open). Such a request never opens inside the game: the address goes to the player's
// default browser, and only when it is a web address, so that a page cannot have a local
// program, a file or another protocol handler started through the system's shell.
namespace veyra {

// True for an address that may be handed to the default browser: "http://" or "https://" (any
// letter case) followed by at least one character, holding no control character or blank.
bool IsWebAddress(std::string_view address);

}  // namespace veyra

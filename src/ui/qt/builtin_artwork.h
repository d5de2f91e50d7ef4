#pragma once

namespace veyra {

// Makes the forms' built-in pictures available as Qt resources under ":/builtin/", e.g.
// ":/builtin/TForm1/Image1.jpg". They are drawn at build time and linked into the windows'
// library, whose linker would otherwise leave them out. Idempotent; needs no application.
void LoadBuiltinArtwork();

}  // namespace veyra

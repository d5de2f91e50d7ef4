#pragma once

namespace veyra {

// Maps the faces the game's windows name (新細明體, 標楷體, Courier New) onto the faces this system
// has (AR PL UMing, AR PL UKai, a monospaced face), so that Chinese texts render in the intended
// style. Safe to call more than once; needs a QGuiApplication.
void InstallFontSubstitutes();

}  // namespace veyra

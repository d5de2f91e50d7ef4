#pragma once

namespace veyra {

// Makes veyra::PumpMessages() run Qt's event loop once (QCoreApplication::processEvents()), so
// that the windows keep painting and answering the player while the core waits inside a step.
// Call once, after the QApplication exists; it replaces any pump hook installed before.
void InstallQtMessagePump();

}  // namespace veyra

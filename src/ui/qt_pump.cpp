#include "ui/qt_pump.h"

#include <QCoreApplication>

#include "platform/pump.h"

namespace veyra {

void InstallQtMessagePump() {
  SetPumpHook([] { QCoreApplication::processEvents(); });
}

}  // namespace veyra

#pragma once

namespace veyra {

// The forced complete update: deletes the installation record update2.dat and then update3.dat
// from the program folder (each only when present; results ignored) and clears `keep_state`, so
// that the closing updater window writes nothing back. The caller then asks the application to
// terminate; the next run finds no record and installs every entry again.
void ForceCompleteUpdate(bool& keep_state);

}  // namespace veyra

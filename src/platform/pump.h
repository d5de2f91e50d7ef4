#pragma once

#include <functional>

namespace veyra {

// Lets pending window messages run. The program installs a hook that runs the Qt event loop
// once; headless code and tests install their own (a counter, a scripted action). Without a
// hook it does nothing. Handlers that run inside the pump may call back into the caller.
void PumpMessages();
void SetPumpHook(std::function<void()> hook);

// Pauses the thread for `ms` milliseconds; tests replace it to avoid real waiting.
void Sleep(int ms);
void SetSleepHook(std::function<void(int)> hook);

}  // namespace veyra

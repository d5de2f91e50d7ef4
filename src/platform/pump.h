#pragma once

#include <functional>

namespace veyra {

// Lets pending window messages run. The program installs a hook that runs the Qt event loop
// once; headless code and tests install their own (a counter, a scripted action). Without a
// hook it does nothing. Handlers that run inside the pump may call back into the caller.
void PumpMessages();
void SetPumpHook(std::function<void()> hook);

// Runs `blocking`, a slow call that touches nothing the pumped handlers use, on a helper thread,
// and lets messages run on this thread (PumpMessages, at least once and then every few
// milliseconds) until it has returned, so that the windows keep answering through it. Returns
// once it has; an exception it throws is thrown here.
void RunWhilePumping(const std::function<void()>& blocking);

// Pauses the thread for `ms` milliseconds; tests replace it to avoid real waiting.
void Sleep(int ms);
void SetSleepHook(std::function<void(int)> hook);

}  // namespace veyra

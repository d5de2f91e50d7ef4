#pragma once

#include <windows.h>

namespace veyra::win32 {

// Lets every pending message of this thread run (PeekMessageW, TranslateMessage,
// DispatchMessageW). A quit message found on the way marks the application as terminating.
void PumpMessages();

// Makes the core's pump and pause hooks this thread's message pump and the system's Sleep.
void InstallMessagePump();

// Asks the application to terminate: posts the quit message, and every message loop (the main
// one and each modal loop, however deeply nested) ends as soon as control returns to it.
void RequestTermination();
bool TerminationRequested();
// Forgets a termination that has run its course, for a process that runs its loops again
// (a test program runs many).
void ClearTermination();

// The program's message loop: runs until the application is asked to terminate; returns the
// process's exit status.
int RunMessageLoop();

// Shows `window` modally: every other enabled top-level window of the thread is disabled until
// the loop ends, which happens when `window` is hidden or destroyed (EndModal) or the
// application terminates.
void RunModalLoop(HWND window);

// Ends the modal loop of `window` by hiding it.
void EndModal(HWND window);

// Repaints `window` at once, not when the queue next gets to it.
void RepaintNow(HWND window);

}  // namespace veyra::win32

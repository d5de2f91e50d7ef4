#pragma once

#include <functional>

class QWidget;

namespace veyra {

// Runs `action` once, from the event loop, right after the window's first paint has been handled
// (a picture covering the window may be painted alone, so its children are watched too). Used for
// work that must not delay what the player sees first.
void RunAfterFirstFrame(QWidget& window, std::function<void()> action);

}  // namespace veyra

#pragma once

#include <QUrl>
#include <functional>

class QWebEnginePage;

namespace veyra {

// Hands the page's requests for a new window (a link with target="_blank", window.open) to the
// player's default web browser when IsWebAddress allows their address, and
// drops the others; the page itself stays where it is.
void OpenNewWindowsInDefaultBrowser(QWebEnginePage& page);

// Replaces how an address reaches the default browser (QDesktopServices::openUrl), for tests; an
// empty function restores it.
void SetDefaultBrowserOpener(std::function<void(const QUrl&)> opener);

}  // namespace veyra

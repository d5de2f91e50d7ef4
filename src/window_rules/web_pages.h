#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The web pages the windows show: where the agreement page lies, and where a page's request for
// a new window goes.
namespace veyra::agreement {

// The agreement page of `application_folder` (ending with a separator): "index.htm" looked up
// as every game file is, without regard to letter case ("INDEX.HTM" is found); when there is
// none, the name as written, so the browser shows its page for a missing file.
std::filesystem::path AgreementPagePath(const std::string& application_folder);

// Whether a page's request for a new window (a link with target="_blank", window.open) is handed
// to the player's default web browser. The game's windows never follow such a request
// themselves, so a page cannot take them to a site the operator did not choose. Only web
// addresses (http, https) go on: a page must not make the desktop open local files or programs
// through other schemes (file, javascript, data, registered handlers); those are dropped.
bool OpensInDefaultBrowser(std::string_view url);

}  // namespace veyra::agreement

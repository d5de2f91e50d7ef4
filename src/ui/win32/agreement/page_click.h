#pragma once

#include <mshtml.h>

#include "window_rules/agreement_rules.h"

namespace veyra::win32 {

// The click being handled on `document` (null when none is held): the markup of the innermost
// element clicked (document -> parentWindow -> event -> srcElement -> outerHTML), as UTF-8. A
// click whose event or source element cannot be read has no markup.
agreement::PageClick ReadPageClick(IHTMLDocument2* document);

}  // namespace veyra::win32

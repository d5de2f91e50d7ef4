#include "window_rules/web_pages.h"

#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "window_rules/agreement_rules.h"

namespace veyra::agreement {

std::filesystem::path AgreementPagePath(const std::string& application_folder) {
  return MapPath(application_folder + kAgreementPage);
}

bool OpensInDefaultBrowser(std::string_view url) {
  const size_t colon = url.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view scheme = url.substr(0, colon);
  return (EqualsIgnoringAsciiCase(scheme, "http") || EqualsIgnoringAsciiCase(scheme, "https")) &&
         url.substr(colon).starts_with("://");
}

}  // namespace veyra::agreement

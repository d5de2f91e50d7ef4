#include "updater/engine/update_list_reply.h"

#include <string_view>

#include "platform/ascii_case.h"

namespace veyra {
namespace {

// The media type of a Content-Type value, without parameters and blanks ("text/html").
std::string_view MediaType(std::string_view content_type) {
  content_type = content_type.substr(0, content_type.find(';'));
  while (!content_type.empty() && (content_type.back() == ' ' || content_type.back() == '\t')) {
    content_type.remove_suffix(1);
  }
  while (!content_type.empty() && (content_type.front() == ' ' || content_type.front() == '\t')) {
    content_type.remove_prefix(1);
  }
  return content_type;
}

}  // namespace

bool IsUpdateListReply(const HttpReply& reply) {
  return !EqualsIgnoringAsciiCase(MediaType(reply.content_type), "text/html");
}

}  // namespace veyra

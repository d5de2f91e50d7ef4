#include "updater/records/lines.h"

namespace veyra {

LineList SplitLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  LineList lines;
  size_t start = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c != '\r' && c != '\n') {
      ++pos;
      continue;
    }
    lines.emplace_back(text.substr(start, pos - start));
    const bool crlf = c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n';
    pos += crlf ? 2 : 1;
    start = pos;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const LineList& lines) {
  size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string_view FieldView(std::string_view line, int n) {
  // One scan over the line followed by a virtual space, so the last field ends like the others.
  bool between_fields = true;
  int counter = 0;
  size_t start = 0;
  size_t length = 0;
  for (size_t pos = 0; pos <= line.size(); ++pos) {
    const bool space = pos == line.size() || line[pos] == ' ';
    if (!between_fields && space && counter == n) {
      length = pos - start;
      break;
    }
    if (!between_fields && space) {
      between_fields = true;
    } else if (between_fields && !space) {
      between_fields = false;
      if (++counter == n) start = pos;
    }
  }
  return line.substr(start, length);
}

std::string GetField(std::string_view line, int n) {
  return std::string(FieldView(line, n));
}

}  // namespace veyra

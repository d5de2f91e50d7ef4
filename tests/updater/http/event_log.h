#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "updater/http/http_client.h"

namespace veyra::testing {

// Records the client's events as words: "connected", "begin:<expected>", "work:<total>",
// "end", "disconnected".
class EventLog {
 public:
  HttpEvents events() {
    HttpEvents events;
    events.connected = [this] { words.push_back("connected"); };
    events.work_begin = [this](int64_t expected) {
      words.push_back("begin:" + std::to_string(expected));
    };
    events.work = [this](int64_t total) { words.push_back("work:" + std::to_string(total)); };
    events.work_end = [this] { words.push_back("end"); };
    events.disconnected = [this] { words.push_back("disconnected"); };
    return events;
  }

  // The words with each run of work events reduced to its last one, after checking that the
  // totals within a run rise strictly.
  std::vector<std::string> Compact() const {
    std::vector<std::string> compact;
    int64_t last_total = -1;
    for (const std::string& word : words) {
      const bool work = word.rfind("work:", 0) == 0;
      if (work) {
        const int64_t total = std::stoll(word.substr(5));
        if (total <= last_total) compact.push_back("NOT RISING " + word);
        last_total = total;
        if (!compact.empty() && compact.back().rfind("work:", 0) == 0) compact.pop_back();
      } else {
        last_total = -1;
      }
      compact.push_back(word);
    }
    return compact;
  }

  void Clear() { words.clear(); }

  std::vector<std::string> words;
};

}  // namespace veyra::testing

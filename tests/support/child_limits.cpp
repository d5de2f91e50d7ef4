#include "support/child_limits.h"

#include <cstdio>
#include <cstdlib>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace veyra::testing {

void LimitChild(std::size_t headroom, unsigned seconds) {
  if constexpr (kCanLimitChild) {
#ifndef _WIN32
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
      std::fclose(statm);
    }
    const rlim_t limit =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + headroom;
    const rlimit bound{limit, limit};
    if (pages == 0 || setrlimit(RLIMIT_AS, &bound) != 0) std::_Exit(4);
    alarm(seconds);
#endif
  }
  (void)headroom;
  (void)seconds;
}

}  // namespace veyra::testing

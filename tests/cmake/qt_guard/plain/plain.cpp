#include "plain.h"

int Plain() {
  return 1;
}

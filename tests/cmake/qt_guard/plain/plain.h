#pragma once

// Not Qt: <queue> and "quantity.h" only look alike.
#include <queue>

#include "quantity.h"

int Plain();

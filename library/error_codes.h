#pragma once

#include "player/song/load_result.h"

namespace zumbrik {

// The library's error code for each way a load ends, and the words for each
// code: one table, so that a reason the loaders learn is never reported as
// another.
int ErrorCodeFor(LoadResult result);

}  // namespace zumbrik

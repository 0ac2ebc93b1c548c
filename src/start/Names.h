#pragma once

#include "app/WindowNames.h"

namespace start {
using namespace windows;
}  // namespace start

#pragma once

#include "app/Services.h"
#include "forms/Form.h"

#include <memory>

namespace app {

// Every window of the program, by window name; nullptr for an unknown name.
// The window host's factory. It lives beside main, the composition root:
// the windows are below it and never include it.
std::unique_ptr<forms::Form> createWindow(const QString& name, Services& services);

}  // namespace app

#pragma once

#include "forms/Form.h"

#include <vector>

// aResize: keeps every control of a window in proportion to the window.
namespace layout {

struct ControlLayout {
    float widthRatio = 0;
    float heightRatio = 0;
    float topRatio = 0;
    float leftRatio = 0;
};

// Ratios of every control (creation order) to the window's inner size.
// Timers, menu items and lines have no geometry and keep zeros; so does every
// ratio while the inner size is zero.
std::vector<ControlLayout> captureLayout(const forms::Form& form);

// Moves and sizes every control back to its ratios of the current inner size.
// Timers, menu items and lines are skipped.
void applyLayout(forms::Form& form, const std::vector<ControlLayout>& layout);

}  // namespace layout

#pragma once

#include "forms/Control.h"

// Colours of the start window shared by its design and its behaviour.
namespace start {

inline constexpr forms::Rgb kBackground = 0xFFFFC0;  // window, frames, idle markers
inline constexpr forms::Rgb kMarker = 0xFFFFC0;
inline constexpr forms::Rgb kChosen = 0xFF0000;      // chosen button text and marker
inline constexpr forms::Rgb kButtonText = 0x0000C0;  // dark blue
inline constexpr forms::Rgb kButton = 0xFFE0C0;
inline constexpr forms::Rgb kFocusedButton = 0xFFC080;
inline constexpr forms::Rgb kHeading = 0xC00000;  // frame titles and the summary
inline constexpr forms::Rgb kCurtain = 0xFF80FF;

}  // namespace start

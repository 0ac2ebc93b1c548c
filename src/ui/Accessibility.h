#pragma once

namespace ui {

// Puts the program's accessible interfaces in front of Qt's own, so that a
// screen reader reads the windows' controls as their logic describes them
// (names, "scelto", the operation as a sentence, covered controls as not
// showing), and the assistive press of an option button runs what a mouse
// press runs. Message boxes are read as alerts. Call once, after the
// application is made.
void installAccessibility();

}  // namespace ui

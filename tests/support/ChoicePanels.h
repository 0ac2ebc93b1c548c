#pragma once

#include "forms/Form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// The objective and level panels that the start window and the worksheet
// window share: six objective buttons on three places in Frame1, each with a
// marker strip (Label9), and the level buttons with theirs (Label10).
namespace testing_support {

// Which button of each shared objective place (0 over 3, 1 over 4, 2 over 5)
// is in front.
inline std::vector<int> frontObjectives(const forms::Form& w)
{
    const auto& stack = w.children(&w.c(u"Frame1"));
    auto depth = [&](int i) { return std::find(stack.begin(), stack.end(), &w.c(u"Option1", i)) - stack.begin(); };
    std::vector<int> front;
    for (int place = 0; place < 3; ++place) front.push_back(depth(place) > depth(place + 3) ? place : place + 3);
    return front;
}

// Button texts and marker strips: red for `chosen`, reset colours for the
// rest (-1: none chosen).
inline void expectMarks(const forms::Form& w, QStringView button, QStringView strip, int count, int chosen)
{
    constexpr forms::Rgb kRed = 0xFF0000, kDarkBlue = 0x0000C0, kYellow = 0xFFFFC0;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(w.c(button, i).foreColor(), i == chosen ? kRed : kDarkBlue) << button.toString().toStdString() << i;
        EXPECT_EQ(w.c(strip, i).backColor(), i == chosen ? kRed : kYellow) << strip.toString().toStdString() << i;
        // What the red strip says to a screen reader.
        EXPECT_EQ(w.c(button, i).accessibleDescription(), i == chosen ? QStringLiteral("scelto") : QString())
            << button.toString().toStdString() << i;
    }
}

}  // namespace testing_support

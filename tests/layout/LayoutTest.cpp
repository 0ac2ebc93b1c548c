#include "layout/Layout.h"

#include <gtest/gtest.h>

using namespace forms;
using namespace layout;
using namespace Qt::Literals::StringLiterals;

namespace {

class Sample : public Form {
public:
    Sample() : Form(u"frmSample"_s, 12000, 9000)
    {
        Control& frame = add(Kind::Frame, u"Frame1"_s).geometry(600, 900, 6000, 3000);
        add(Kind::Label, u"lblIn"_s, &frame).geometry(120, 300, 2400, 450);
        add(Kind::Label, u"lblTop"_s).geometry(1000, 240, 3000, 600);
        add(Kind::Line, u"Line1"_s, &frame).line(10, 20, 300, 400);
        add(Kind::Timer, u"Timer1"_s).interval(5);
        add(Kind::MenuItem, u"mnuA"_s).caption(u"A"_s);
    }
};

struct Geometry {
    int left, top, width, height;
    bool operator==(const Geometry&) const = default;
};

Geometry geometryOf(const Control& c) { return {c.left(), c.top(), c.width(), c.height()}; }

}  // namespace

TEST(Layout, RatiosAreTakenAgainstTheInnerSizeAlsoInsideFrames)
{
    Sample f;
    const auto layout = captureLayout(f);
    ASSERT_EQ(layout.size(), f.controls().size());
    EXPECT_FLOAT_EQ(layout[1].leftRatio, 120.0f / 12000);
    EXPECT_FLOAT_EQ(layout[1].topRatio, 300.0f / 9000);
    EXPECT_FLOAT_EQ(layout[1].widthRatio, 2400.0f / 12000);
    EXPECT_FLOAT_EQ(layout[1].heightRatio, 450.0f / 9000);
    for (int i : {3, 4, 5}) {  // line, timer, menu item: no geometry
        EXPECT_EQ(layout[i].widthRatio, 0);
        EXPECT_EQ(layout[i].leftRatio, 0);
    }
}

TEST(Layout, DoublingTheWidthDoublesWidthsAndLeftsOnly)
{
    Sample f;
    const auto layout = captureLayout(f);
    f.setInnerSize(24000, 9000);
    applyLayout(f, layout);
    EXPECT_EQ(geometryOf(f.c(u"Frame1"_s)), (Geometry{1200, 900, 12000, 3000}));
    EXPECT_EQ(geometryOf(f.c(u"lblIn"_s)), (Geometry{240, 300, 4800, 450}));
    EXPECT_EQ(geometryOf(f.c(u"lblTop"_s)), (Geometry{2000, 240, 6000, 600}));
}

TEST(Layout, MinimiseShrinksToZeroAndRestoreBringsTheExactLayoutBack)
{
    Sample f;
    const auto layout = captureLayout(f);
    f.setInnerSize(13777, 8123);
    applyLayout(f, layout);
    const Geometry before = geometryOf(f.c(u"lblIn"_s));

    f.setInnerSize(0, 0);
    applyLayout(f, layout);
    EXPECT_EQ(geometryOf(f.c(u"lblIn"_s)), (Geometry{0, 0, 0, 0}));

    f.setInnerSize(13777, 8123);
    applyLayout(f, layout);
    EXPECT_EQ(geometryOf(f.c(u"lblIn"_s)), before);
}

TEST(Layout, AControlMovedAfterTheCaptureReturnsAtTheNextApply)
{
    Sample f;
    const auto layout = captureLayout(f);
    f.c(u"lblTop"_s).setLeft(7000);
    applyLayout(f, layout);
    EXPECT_EQ(f.c(u"lblTop"_s).left(), 1000);
}

TEST(Layout, LinesAreLeftWhereTheyAre)
{
    Sample f;
    const auto layout = captureLayout(f);
    f.setInnerSize(6000, 4500);
    applyLayout(f, layout);
    const Control& line = f.c(u"Line1"_s);
    EXPECT_EQ(line.x2(), 300);
    EXPECT_EQ(line.y2(), 400);
}

TEST(Layout, CaptureAtZeroSizeGivesZerosInsteadOfInfinities)
{
    Sample f;
    f.setInnerSize(0, 0);
    const auto layout = captureLayout(f);
    f.setInnerSize(12000, 9000);
    applyLayout(f, layout);
    EXPECT_EQ(geometryOf(f.c(u"lblTop"_s)), (Geometry{0, 0, 0, 0}));
}

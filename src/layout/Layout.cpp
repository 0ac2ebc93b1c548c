#include "layout/Layout.h"

#include <cmath>

namespace layout {

namespace {
bool hasGeometry(forms::Kind kind)
{
    return kind != forms::Kind::Timer && kind != forms::Kind::MenuItem && kind != forms::Kind::Line;
}

float ratio(int part, int whole) { return whole == 0 ? 0.0f : float(part) / float(whole); }

int scaled(float ratio, int whole) { return int(std::lround(double(ratio) * whole)); }
}  // namespace

std::vector<ControlLayout> captureLayout(const forms::Form& form)
{
    const auto& controls = form.controls();
    std::vector<ControlLayout> layout(controls.size());
    const int w = form.innerWidth();
    const int h = form.innerHeight();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const forms::Control& c = *controls[i];
        if (!hasGeometry(c.kind()))
            continue;
        layout[i].widthRatio = ratio(c.width(), w);
        layout[i].heightRatio = ratio(c.height(), h);
        layout[i].leftRatio = ratio(c.left(), w);
        layout[i].topRatio = ratio(c.top(), h);
    }
    return layout;
}

void applyLayout(forms::Form& form, const std::vector<ControlLayout>& layout)
{
    const auto& controls = form.controls();
    const int w = form.innerWidth();
    const int h = form.innerHeight();
    for (std::size_t i = 0; i < controls.size() && i < layout.size(); ++i) {
        forms::Control& c = *controls[i];
        if (!hasGeometry(c.kind()))
            continue;
        const ControlLayout& l = layout[i];
        c.move(scaled(l.leftRatio, w), scaled(l.topRatio, h), scaled(l.widthRatio, w), scaled(l.heightRatio, h));
    }
}

}  // namespace layout

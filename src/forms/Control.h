#pragma once

#include <QString>

#include <cstdint>

namespace platform {
class DrawingSurface;
}

namespace forms {

// Said of the choice whose marker shows it chosen, for those who cannot see
// the marker.
inline const QString kChosenDescription = QStringLiteral("scelto");

class Form;

enum class Kind {
    Label,
    Frame,
    OptionButton,   // used as a push-button: acts on mouse down
    CommandButton,
    TextBox,
    Line,
    Shape,
    Image,
    Picture,
    MenuItem,
    Timer,
};

// 0xRRGGBB. kDefaultColor leaves the platform's colour.
using Rgb = std::uint32_t;
inline constexpr Rgb kDefaultColor = 0xFF000000u;

enum class Align { Left, Center, Right };
enum class ShapeType { Rectangle, RoundedRectangle, Oval };

struct Font {
    QString family = QStringLiteral("Arial");
    double pointSize = 8.25;
    bool bold = false;
    bool operator==(const Font&) const = default;
};

// One control of a window, as the window's logic sees it. Geometry is in
// twips, relative to the container. Every change bumps revision(), which is
// how the view knows what to mirror.
class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return m_kind; }
    const QString& name() const { return m_name; }
    int index() const { return m_index; }  // -1 outside a control array
    QString objectName() const;             // "Option1_12", "LblEsito"
    Control* container() const { return m_container; }
    int creationOrder() const { return m_order; }
    Form& form() const { return m_form; }

    const QString& caption() const { return m_caption; }
    // Fires the control's Change handler when the text really changes.
    void setCaption(const QString& caption);

    Rgb foreColor() const { return m_fore; }
    void setForeColor(Rgb color);
    Rgb backColor() const { return m_back; }
    void setBackColor(Rgb color);
    // Labels drawn without background (their container shows through).
    bool transparent() const { return m_transparent; }

    const Font& font() const { return m_font; }
    void setFont(const Font& font);
    void setFontSize(double pointSize);
    void setFontBold(bool bold);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    // The value of an option button.
    bool selected() const { return m_selected; }
    void setSelected(bool selected);

    int left() const { return m_left; }
    int top() const { return m_top; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);
    void move(int left, int top, int width, int height);

    // Lines: end points in the container's coordinates.
    int x1() const { return m_x1; }
    int y1() const { return m_y1; }
    int x2() const { return m_x2; }
    int y2() const { return m_y2; }
    void setLine(int x1, int y1, int x2, int y2);

    Align alignment() const { return m_align; }
    bool wordWrap() const { return m_wordWrap; }
    bool border() const { return m_border; }
    int maxLength() const { return m_maxLength; }  // text boxes; 0 = no limit
    const QString& toolTip() const { return m_toolTip; }
    ShapeType shapeType() const { return m_shape; }
    int interval() const { return m_interval; }  // timers, milliseconds
    int lineWidth() const { return m_lineWidth; }
    // A picture box that keeps a drawing shows this surface's image.
    platform::DrawingSurface* surface() const { return m_surface; }
    void setSurface(platform::DrawingSurface* surface);

    // --- what assistive technology reads (nothing of it is drawn) ---------
    // A name where the caption does not say it; empty: the caption speaks.
    const QString& accessibleName() const { return m_accessibleName; }
    void setAccessibleName(const QString& name);
    // Said after the name ("scelto" on the chosen objective).
    const QString& accessibleDescription() const { return m_accessibleDescription; }
    void setAccessibleDescription(const QString& description);
    // The label whose caption tells what this one's value is.
    Control* labelledBy() const { return m_labelledBy; }
    // Told to assistive technology as soon as it shows: a panel when it comes
    // to the front, a label when it shows a new text.
    bool announced() const { return m_announced; }
    // The name read: the accessible name, or "caption of the label: own
    // caption" for a labelled value, or else the caption.
    QString spokenName() const;

    // Enabled, and every container enabled: whether input reaches it.
    bool isEffectivelyEnabled() const;
    bool isEffectivelyVisible() const;
    bool canTakeFocus() const;

    std::uint64_t revision() const { return m_revision; }

private:
    friend class Form;
    friend class ControlBuilder;
    Control(Form& form, Kind kind, QString name, int index, Control* container, int order);
    void touch();

    Form& m_form;
    Kind m_kind;
    QString m_name;
    int m_index;
    Control* m_container;
    int m_order;

    QString m_caption;
    Rgb m_fore = kDefaultColor;
    Rgb m_back = kDefaultColor;
    bool m_transparent = false;
    Font m_font;
    bool m_enabled = true;
    bool m_visible = true;
    bool m_selected = false;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    int m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    Align m_align = Align::Left;
    bool m_wordWrap = true;
    bool m_border = false;
    int m_maxLength = 0;
    QString m_toolTip;
    ShapeType m_shape = ShapeType::Rectangle;
    int m_interval = 0;
    int m_lineWidth = 1;
    platform::DrawingSurface* m_surface = nullptr;
    QString m_accessibleName;
    QString m_accessibleDescription;
    Control* m_labelledBy = nullptr;
    bool m_announced = false;
    std::uint64_t m_revision = 1;
};

// Sets a control's design properties without firing events; the windows'
// design tables are written with it.
class ControlBuilder {
public:
    explicit ControlBuilder(Control& control) : m_c(control) {}
    operator Control&() const { return m_c; }
    Control& control() const { return m_c; }

    ControlBuilder& caption(const QString& text) { m_c.m_caption = text; return *this; }
    ControlBuilder& geometry(int left, int top, int width, int height)
    {
        m_c.m_left = left; m_c.m_top = top; m_c.m_width = width; m_c.m_height = height;
        return *this;
    }
    ControlBuilder& line(int x1, int y1, int x2, int y2)
    {
        m_c.m_x1 = x1; m_c.m_y1 = y1; m_c.m_x2 = x2; m_c.m_y2 = y2;
        return *this;
    }
    ControlBuilder& fore(Rgb color) { m_c.m_fore = color; return *this; }
    ControlBuilder& back(Rgb color) { m_c.m_back = color; return *this; }
    ControlBuilder& transparent(bool on = true) { m_c.m_transparent = on; return *this; }
    ControlBuilder& font(const QString& family, double pointSize, bool bold = false)
    {
        m_c.m_font = Font{family, pointSize, bold};
        return *this;
    }
    ControlBuilder& font(double pointSize, bool bold = false)
    {
        m_c.m_font.pointSize = pointSize; m_c.m_font.bold = bold;
        return *this;
    }
    ControlBuilder& enabled(bool on) { m_c.m_enabled = on; return *this; }
    ControlBuilder& visible(bool on) { m_c.m_visible = on; return *this; }
    ControlBuilder& align(Align a) { m_c.m_align = a; return *this; }
    ControlBuilder& wordWrap(bool on) { m_c.m_wordWrap = on; return *this; }
    ControlBuilder& border(bool on = true) { m_c.m_border = on; return *this; }
    ControlBuilder& maxLength(int length) { m_c.m_maxLength = length; return *this; }
    ControlBuilder& toolTip(const QString& text) { m_c.m_toolTip = text; return *this; }
    ControlBuilder& shape(ShapeType type) { m_c.m_shape = type; return *this; }
    ControlBuilder& interval(int ms) { m_c.m_interval = ms; return *this; }
    ControlBuilder& lineWidth(int width) { m_c.m_lineWidth = width; return *this; }
    ControlBuilder& accessibleName(const QString& name) { m_c.m_accessibleName = name; return *this; }
    ControlBuilder& labelledBy(Control& label) { m_c.m_labelledBy = &label; return *this; }
    ControlBuilder& announced(bool on = true) { m_c.m_announced = on; return *this; }

private:
    Control& m_c;
};

// A choice button shown chosen or not: its caption's colour, and the same
// said to those who cannot see the colour.
inline void markChosen(Control& button, bool chosen, Rgb chosenText, Rgb plainText)
{
    button.setForeColor(chosen ? chosenText : plainText);
    button.setAccessibleDescription(chosen ? kChosenDescription : QString());
}

}  // namespace forms

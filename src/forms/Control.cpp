#include "forms/Control.h"

#include "forms/Form.h"

#include <QStringList>

namespace forms {

Control::Control(Form& form, Kind kind, QString name, int index, Control* container, int order)
    : m_form(form), m_kind(kind), m_name(std::move(name)), m_index(index), m_container(container), m_order(order)
{
}

QString Control::objectName() const
{
    return m_index < 0 ? m_name : m_name + u'_' + QString::number(m_index);
}

void Control::touch()
{
    ++m_revision;
    m_form.noteChanged();
}

void Control::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    touch();
    m_form.fire(*this, Event::Change);
}

#define FORMS_SETTER(member, value) \
    if (member == value)            \
        return;                     \
    member = value;                 \
    touch();

void Control::setForeColor(Rgb color) { FORMS_SETTER(m_fore, color) }
void Control::setBackColor(Rgb color) { FORMS_SETTER(m_back, color) }
void Control::setFont(const Font& font) { FORMS_SETTER(m_font, font) }
void Control::setFontSize(double pointSize) { FORMS_SETTER(m_font.pointSize, pointSize) }
void Control::setFontBold(bool bold) { FORMS_SETTER(m_font.bold, bold) }
void Control::setEnabled(bool enabled) { FORMS_SETTER(m_enabled, enabled) }
void Control::setVisible(bool visible) { FORMS_SETTER(m_visible, visible) }
void Control::setSelected(bool selected) { FORMS_SETTER(m_selected, selected) }
void Control::setLeft(int left) { FORMS_SETTER(m_left, left) }
void Control::setTop(int top) { FORMS_SETTER(m_top, top) }
void Control::setWidth(int width) { FORMS_SETTER(m_width, width) }
void Control::setHeight(int height) { FORMS_SETTER(m_height, height) }
void Control::setSurface(platform::DrawingSurface* surface) { FORMS_SETTER(m_surface, surface) }
void Control::setAccessibleName(const QString& name) { FORMS_SETTER(m_accessibleName, name) }
void Control::setAccessibleDescription(const QString& description) { FORMS_SETTER(m_accessibleDescription, description) }

#undef FORMS_SETTER

void Control::move(int left, int top, int width, int height)
{
    if (left == m_left && top == m_top && width == m_width && height == m_height)
        return;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    touch();
}

void Control::setLine(int x1, int y1, int x2, int y2)
{
    if (x1 == m_x1 && y1 == m_y1 && x2 == m_x2 && y2 == m_y2)
        return;
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    touch();
}

namespace {

// A caption spaced out letter by letter for the eye ("C h i u d i", "E S C I",
// words three blanks apart) as the word it spells; anything else unchanged.
QString unspaced(const QString& caption)
{
    const QString text = caption.trimmed();
    QStringList words;
    QString word;
    int blanks = 0;
    for (const QChar ch : text) {
        if (ch == u' ') {
            ++blanks;
            continue;
        }
        if (!ch.isLetter())
            return caption;
        if (blanks == 0 && !word.isEmpty())
            return caption;  // two letters side by side: not spaced out
        if (blanks > 1) {
            words << word;
            word.clear();
        }
        word += ch;
        blanks = 0;
    }
    words << word;
    for (const QString& w : std::as_const(words))
        if (w.size() < 2)
            return caption;  // a letter on its own is no spaced-out word
    QString spelled = words.join(u' ');
    // Capitals would be read as initials.
    if (spelled == spelled.toUpper())
        spelled = spelled.left(1) + spelled.mid(1).toLower();
    return spelled;
}

}  // namespace

QString Control::spokenName() const
{
    if (!m_accessibleName.isEmpty())
        return m_accessibleName;
    if (m_labelledBy) {
        const QString label = m_labelledBy->spokenName().simplified();
        // A text box's text is its value, read apart from its name.
        if (m_kind == Kind::TextBox)
            return label;
        const QString value = m_caption.trimmed();
        return value.isEmpty() ? label : label + u": " + value;
    }
    return unspaced(m_caption);
}

bool Control::isEffectivelyEnabled() const
{
    for (const Control* c = this; c; c = c->m_container)
        if (!c->m_enabled)
            return false;
    return true;
}

bool Control::isEffectivelyVisible() const
{
    for (const Control* c = this; c; c = c->m_container)
        if (!c->m_visible)
            return false;
    return true;
}

bool Control::canTakeFocus() const
{
    switch (m_kind) {
    case Kind::OptionButton:
    case Kind::CommandButton:
    case Kind::TextBox:
        return isEffectivelyEnabled() && isEffectivelyVisible();
    default:
        return false;
    }
}

}  // namespace forms

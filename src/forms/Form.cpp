#include "forms/Form.h"

#include "forms/WindowHost.h"

#include <QDebug>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace forms {

namespace {

// Lines and shapes let clicks through; menu items and timers have no place.
bool takesClicks(Kind kind)
{
    return kind != Kind::Line && kind != Kind::Shape && kind != Kind::MenuItem && kind != Kind::Timer;
}

bool hasPlace(Kind kind) { return kind != Kind::Line && kind != Kind::MenuItem && kind != Kind::Timer; }

// Left and top in the window's coordinates.
std::pair<int, int> windowPosition(const Control& control)
{
    int left = 0, top = 0;
    for (const Control* c = &control; c; c = c->container()) {
        left += c->left();
        top += c->top();
    }
    return {left, top};
}

bool isBidiControl(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

// What a one-line text box keeps of an edit. A tab, a line break or any other
// control character is shown by the box as a blank, so it is kept as one; the
// invisible marks that would turn around the direction of whatever is printed
// after the text are dropped, as are halves of broken surrogate pairs. Then at
// most maxLength characters (0: no limit), counted and cut as characters: an
// emoji is one, and is never split.
QString singleLineText(const QString& text, int maxLength)
{
    QString out;
    out.reserve(maxLength > 0 ? std::min<qsizetype>(text.size(), 2 * qsizetype(maxLength)) : text.size());
    int kept = 0;
    for (qsizetype i = 0; i < text.size() && (maxLength <= 0 || kept < maxLength); ++i) {
        const QChar c = text.at(i);
        if (c.isSurrogate()) {
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                out += c;
                out += text.at(++i);
                ++kept;
            }
            continue;
        }
        if (isBidiControl(c.unicode()))
            continue;
        const bool blank = c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                           c == QChar::ParagraphSeparator;
        out += blank ? QChar(u' ') : c;
        ++kept;
    }
    return out;
}

}  // namespace

Form::Form(QString name, int designWidth, int designHeight)
    : m_name(std::move(name)),
      m_designWidth(designWidth),
      m_designHeight(designHeight),
      m_innerWidth(designWidth),
      m_innerHeight(designHeight)
{
    m_children[nullptr];
}

Form::~Form() = default;

void Form::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    noteChanged();
}

void Form::setBackColor(Rgb color)
{
    if (color == m_back)
        return;
    m_back = color;
    noteChanged();
}

QString Form::key(QStringView name, int index)
{
    return index < 0 ? name.toString() : name + u'_' + QString::number(index);
}

ControlBuilder Form::add(Kind kind, const QString& name, int index, Control* container)
{
    auto control = std::unique_ptr<Control>(new Control(*this, kind, name, index, container, int(m_controls.size())));
    Control& ref = *control;
    const QString k = key(name, index);
    if (m_byKey.contains(k))
        throw std::logic_error("duplicate control " + k.toStdString());
    m_byKey.insert(k, &ref);
    m_children[container].push_back(&ref);
    m_controls.push_back(std::move(control));
    return ControlBuilder(ref);
}

Control* Form::find(QStringView name, int index) const
{
    return m_byKey.value(key(name, index), nullptr);
}

Control& Form::c(QStringView name, int index) const
{
    Control* control = find(name, index);
    if (!control)
        throw std::out_of_range("no control " + key(name, index).toStdString() + " in " + m_name.toStdString());
    return *control;
}

const std::vector<Control*>& Form::children(const Control* container) const
{
    static const std::vector<Control*> none;
    auto it = m_children.constFind(container);
    return it == m_children.cend() ? none : *it;
}

void Form::bringToFront(Control& control)
{
    auto& siblings = m_children[control.container()];
    auto it = std::find(siblings.begin(), siblings.end(), &control);
    if (it == siblings.end() || it + 1 == siblings.end())
        return;
    siblings.erase(it);
    siblings.push_back(&control);
    control.touch();
}

bool Form::isCovered(const Control& control) const
{
    const auto [left, top] = windowPosition(control);
    const int x = left + control.width() / 2;
    const int y = top + control.height() / 2;
    // In front of a control stand the later siblings of it and of each of
    // its containers.
    for (const Control* node = &control; node; node = node->container()) {
        const std::vector<Control*>& siblings = children(node->container());
        auto it = std::find(siblings.begin(), siblings.end(), node);
        for (++it; it < siblings.end(); ++it) {
            const Control& other = **it;
            if (!other.visible() || !takesClicks(other.kind()))
                continue;
            const auto [otherLeft, otherTop] = windowPosition(other);
            if (x >= otherLeft && x < otherLeft + other.width() && y >= otherTop && y < otherTop + other.height())
                return true;
        }
    }
    return false;
}

std::vector<Control*> Form::readingOrder() const
{
    std::vector<Control*> order;
    std::function<void(const Control*)> append = [&](const Control* container) {
        std::vector<Control*> items;
        for (Control* child : children(container))
            if (hasPlace(child->kind()))
                items.push_back(child);
        // Creation order among equals, so that the result does not depend on
        // which of two stacked panels is in front.
        std::stable_sort(items.begin(), items.end(),
                         [](const Control* a, const Control* b) { return a->creationOrder() < b->creationOrder(); });
        std::stable_sort(items.begin(), items.end(), [](const Control* a, const Control* b) { return a->top() < b->top(); });
        // A line runs as far down as the control that opens it; whatever
        // starts above its bottom stands on it, read left to right.
        for (std::size_t first = 0; first < items.size();) {
            const int bottom = items[first]->top() + std::max(items[first]->height(), 1);
            std::size_t end = first + 1;
            while (end < items.size() && items[end]->top() < bottom)
                ++end;
            std::stable_sort(items.begin() + std::ptrdiff_t(first), items.begin() + std::ptrdiff_t(end),
                             [](const Control* a, const Control* b) { return a->left() < b->left(); });
            first = end;
        }
        for (Control* item : items) {
            order.push_back(item);
            if (item->kind() == Kind::Frame)
                append(item);
        }
    };
    append(nullptr);
    return order;
}

bool Form::canFocus(const Control& control) const
{
    if (m_unloaded)
        return false;
    const bool takes = control.canTakeFocus() || (keyboardMode() && isClickTarget(control) &&
                                                  control.isEffectivelyEnabled() && control.isEffectivelyVisible());
    return takes && !isCovered(control);
}

bool Form::isClickTarget(const Control& control) const
{
    switch (control.kind()) {
    case Kind::Label:
    case Kind::Frame:
    case Kind::Picture:
    case Kind::Image: return hasHandler(control, Event::Click);
    default: return false;
    }
}

bool Form::keyboardMode() const { return m_host && m_host->keyboardMode(); }

void Form::focusBackground()
{
    if (m_unloaded || !m_backgroundClickable || !keyboardMode() || m_backgroundFocused)
        return;
    Control* previous = std::exchange(m_focused, nullptr);
    m_backgroundFocused = true;
    noteChanged();
    if (previous)
        fire(*previous, Event::LostFocus);
}

void Form::focusFirst()
{
    // A button is where a pupil starts; a click target only where none is.
    Control* target = nullptr;
    for (Control* control : readingOrder())
        if (canFocus(*control)) {
            if (!isClickTarget(*control)) {
                setFocus(*control);
                return;
            }
            if (!target)
                target = control;
        }
    if (target)
        setFocus(*target);
}

void Form::settleFocus()
{
    if (m_unloading || !m_focused || canFocus(*m_focused))
        return;
    const std::vector<Control*> order = readingOrder();
    // A button brought over the focused one takes its place, focus and all.
    const auto place = [](const Control& c) {
        const auto [left, top] = windowPosition(c);
        return std::tuple(left, top, c.width(), c.height());
    };
    for (Control* other : order)
        if (other != m_focused && place(*other) == place(*m_focused) && canFocus(*other)) {
            setFocus(*other);
            return;
        }
    const auto at = std::find(order.begin(), order.end(), m_focused);
    const std::size_t start = at == order.end() ? 0 : std::size_t(at - order.begin());
    // The next button, as without keyboard mode; a click target only when no
    // button is left (a wrong answer sends the focus to the help, not past it).
    for (bool targets : {false, true})
        for (std::size_t step = 1; step <= order.size(); ++step) {
            Control* next = order[(start + step) % order.size()];
            if (canFocus(*next) && (targets || !isClickTarget(*next))) {
                setFocus(*next);
                return;
            }
        }
    Control* previous = m_focused;
    m_focused = nullptr;
    noteChanged();
    fire(*previous, Event::LostFocus);
}

void Form::bindKey(int keyCode, Control& control)
{
    m_keys.emplace_back(keyCode, &control);
}

bool Form::hasHandler(const Control& control, Event event) const
{
    auto it = m_handlers.constFind(control.name());
    return it != m_handlers.cend() && it->on[int(event)];
}

bool Form::hasKeyHandler(const Control& control) const
{
    auto it = m_handlers.constFind(control.name());
    return it != m_handlers.cend() && it->keyDown;
}

void Form::mouseClick(Control& control)
{
    if (m_depth > 0) {
        m_queue.push_back([this, &control] { mouseClick(control); });
        return;
    }
    if (!acceptsInput(control) || isCovered(control))
        return;
    // Only buttons are pressed and released; a click on anything else is
    // just a click.
    if (control.kind() == Kind::OptionButton || control.kind() == Kind::CommandButton) {
        mouseDown(control);
        mouseUp(control);
    }
    click(control);
}

bool Form::typeKey(int keyCode)
{
    if (m_depth > 0 || m_unloaded || m_inputBlocked)
        return false;
    Control* focus = m_focused;
    if (focus && focus->kind() == Kind::TextBox && keyCode != kKeyEscape)
        return false;
    for (const auto& [key, control] : m_keys)
        if (key == keyCode && acceptsInput(*control) && !isCovered(*control)) {
            mouseClick(*control);
            return true;
        }
    const bool space = keyCode == kKeySpace, enter = keyCode == kKeyEnter;
    if (!focus) {
        if (!m_backgroundFocused || !(space || enter))
            return false;
        formClick();
        return true;
    }
    // A command button takes Space by itself.
    const bool presses = ((focus->kind() == Kind::OptionButton || isClickTarget(*focus)) && (space || enter)) ||
                         (focus->kind() == Kind::CommandButton && enter);
    if (presses && acceptsInput(*focus) && !isCovered(*focus)) {
        mouseClick(*focus);
        return true;
    }
    return false;
}

void Form::on(const QString& name, Event event, Handler handler)
{
    m_handlers[name].on[int(event)] = std::move(handler);
}

void Form::onKeyDown(const QString& name, KeyHandler handler)
{
    m_handlers[name].keyDown = std::move(handler);
}

void Form::fire(Control& control, Event event)
{
    auto it = m_handlers.find(control.name());
    if (it == m_handlers.end() || !it->on[int(event)])
        return;
    // Copy: a handler may replace handlers or unload the window.
    const Handler handler = it->on[int(event)];
    const int index = control.index();
    deliver([handler, index] { handler(index); });
}

void Form::deliver(std::function<void()> f)
{
    // Programmatic events (Change, focus) fired from inside a handler run at
    // once, as they do in the window system; the queue is only for input.
    ++m_depth;
    try {
        f();
    } catch (const std::exception& e) {
        qWarning() << "event handler of" << m_name << "failed:" << e.what();
    } catch (...) {
        qWarning() << "event handler of" << m_name << "failed";
    }
    --m_depth;
    // Queued input runs at depth 0, each item delivering its own handler.
    while (m_depth == 0 && !m_queue.empty()) {
        auto next = std::move(m_queue.front());
        m_queue.erase(m_queue.begin());
        next();
    }
    // Once the handlers are done, the focus leaves whatever they disabled,
    // hid or covered.
    if (m_depth == 0 && !m_settling) {
        m_settling = true;
        settleFocus();
        m_settling = false;
    }
}

bool Form::acceptsInput(const Control& control) const
{
    return !m_unloaded && !m_inputBlocked && control.isEffectivelyEnabled() && control.isEffectivelyVisible();
}

void Form::setFocus(Control& control)
{
    if (m_focused == &control || !canFocus(control))
        return;
    Control* previous = m_focused;
    m_focused = &control;
    m_backgroundFocused = false;
    noteChanged();
    if (previous)
        fire(*previous, Event::LostFocus);
    if (m_focused == &control)
        fire(control, Event::GotFocus);
}

void Form::mouseDown(Control& control)
{
    if (m_depth > 0) {
        m_queue.push_back([this, &control] { mouseDown(control); });
        return;
    }
    if (!acceptsInput(control))
        return;
    m_pressed = &control;
    if (control.kind() == Kind::OptionButton) {
        // An option button is chosen on mouse down; the others of its
        // container are released, as in an option group.
        for (Control* sibling : children(control.container()))
            if (sibling != &control && sibling->kind() == Kind::OptionButton)
                sibling->setSelected(false);
        control.setSelected(true);
    }
    fire(control, Event::MouseDown);
}

void Form::mouseUp(Control& control)
{
    if (m_depth > 0) {
        m_queue.push_back([this, &control] { mouseUp(control); });
        return;
    }
    // The release belongs to the control that took the press, even if the
    // press disabled it: otherwise a button could stay selected.
    const bool wasPressed = m_pressed == &control;
    m_pressed = nullptr;
    if (m_unloaded || (!wasPressed && !acceptsInput(control)))
        return;
    fire(control, Event::MouseUp);
}

void Form::click(Control& control)
{
    if (m_depth > 0) {
        m_queue.push_back([this, &control] { click(control); });
        return;
    }
    if (!acceptsInput(control))
        return;
    fire(control, Event::Click);
}

int Form::keyDown(Control& control, int keyCode)
{
    if (m_depth > 0 || !acceptsInput(control))
        return keyCode;
    auto it = m_handlers.find(control.name());
    if (it == m_handlers.end() || !it->keyDown)
        return keyCode;
    const KeyHandler handler = it->keyDown;
    int code = keyCode;
    deliver([&] { handler(control.index(), code); });
    return code;
}

void Form::textEdited(Control& control, const QString& text)
{
    if (m_depth > 0) {
        m_queue.push_back([this, &control, text] { textEdited(control, text); });
        return;
    }
    if (!acceptsInput(control)) {
        // Set from outside (assistive technology) where no key reaches: the
        // box shows the form's text again.
        if (text != control.caption())
            control.touch();
        return;
    }
    const QString value = singleLineText(text, control.maxLength());
    // The box must show what is kept even when the caption stays as it was
    // (a sixteenth letter typed after fifteen).
    if (value != text && value == control.caption())
        control.touch();
    control.setCaption(value);
}

void Form::timerTick(Control& control)
{
    if (m_depth > 0 || m_unloaded || control.kind() != Kind::Timer || !control.enabled())
        return;
    fire(control, Event::Timer);
}

void Form::formClick()
{
    if (m_depth > 0) {
        m_queue.push_back([this] { formClick(); });
        return;
    }
    if (m_unloaded || m_inputBlocked)
        return;
    deliver([this] { Form_Click(); });
}

void Form::press(Control& control)
{
    mouseDown(control);
    mouseUp(control);
}

void Form::load()
{
    deliver([this] { Form_Load(); });
}

void Form::activate()
{
    if (m_unloaded)
        return;
    deliver([this] { Form_Activate(); });
}

void Form::setInnerSize(int width, int height)
{
    if (m_unloaded)
        return;
    if (m_resizedOnce && width == m_innerWidth && height == m_innerHeight)
        return;
    m_resizedOnce = true;
    m_innerWidth = width;
    m_innerHeight = height;
    noteChanged();
    deliver([this] { Form_Resize(); });
}

void Form::unload()
{
    if (m_unloaded || m_unloading)
        return;
    m_unloading = true;
    deliver([this] { Form_Unload(); });
    m_unloaded = true;
    m_focused = nullptr;
    m_backgroundFocused = false;
    m_pressed = nullptr;
    m_queue.clear();
    noteChanged();
}

}  // namespace forms

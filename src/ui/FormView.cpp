#include "ui/FormView.h"

#include "ui/QtDrawingSurface.h"
#include "ui/QtWindowHost.h"
#include "ui/Widgets.h"

#include <QAccessible>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

using forms::Control;
using forms::Kind;

namespace {

QColor toColor(forms::Rgb rgb)
{
    if (rgb == forms::kDefaultColor)
        return {};
    return QColor::fromRgb(QRgb(0xFF000000u | rgb));
}

QColor mix(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QFont toFont(const forms::Font& font, double fit)
{
    QFont f(font.family);
    f.setPointSizeF(fit == 1.0 ? font.pointSize : font.pointSize * fit);
    f.setBold(font.bold);
    return f;
}

Qt::Alignment toAlignment(forms::Align align)
{
    switch (align) {
    case forms::Align::Center: return Qt::AlignHCenter | Qt::AlignTop;
    case forms::Align::Right: return Qt::AlignRight | Qt::AlignTop;
    case forms::Align::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

// A button's text shows "&" literally.
QString buttonText(const QString& caption)
{
    QString text = caption;
    return text.replace(u'&', QStringLiteral("&&"));
}

// The key codes the windows know (13 is Enter).
int keyCode(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return forms::kKeyEnter;
    case Qt::Key_Escape: return forms::kKeyEscape;
    case Qt::Key_Space: return forms::kKeySpace;
    case Qt::Key_Backspace: return forms::kKeyBackspace;
    case Qt::Key_Tab: return 9;
    default: break;
    }
    // Characters are their own codes; other keys (Shift, arrows...) are kept
    // clear of them: Shift is 0x01000020, whose low half would be a blank.
    const int key = event->key();
    return key < 0x01000000 ? key : 0x10000 | (key & 0xFFFF);
}

bool isActivationKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select ||
           key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
}

bool takesFocus(Kind kind)
{
    return kind == Kind::OptionButton || kind == Kind::CommandButton || kind == Kind::TextBox;
}

void tell(QWidget* widget, QAccessible::Event what)
{
    QAccessibleEvent event(widget, what);
    QAccessible::updateAccessibility(&event);
}

void setColors(QWidget* widget, QPalette::ColorRole fillRole, const QColor& fill, QPalette::ColorRole textRole,
               const QColor& text)
{
    QPalette pal = widget->palette();
    if (fill.isValid()) {
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            pal.setColor(group, fillRole, fill);
    }
    if (text.isValid()) {
        pal.setColor(QPalette::Active, textRole, text);
        pal.setColor(QPalette::Inactive, textRole, text);
        const QColor base = fill.isValid() ? fill : pal.color(QPalette::Active, fillRole);
        pal.setColor(QPalette::Disabled, textRole, mix(mix(text, base), base));
    }
    widget->setPalette(pal);
}

}  // namespace

FormView::FormView(forms::Form& form, QtWindowHost& host) : m_form(form), m_host(host)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_scale = screen->logicalDotsPerInch() / 96.0 / 15.0;
    setObjectName(form.name());
    setAttribute(Qt::WA_DeleteOnClose, false);
    build();
}

FormView::~FormView() = default;

int FormView::toPixels(int twips) const { return int(std::lround(twips * m_scale * m_fit)); }

int FormView::toTwips(int pixels) const { return int(std::lround(pixels / (m_scale * m_fit))); }

void FormView::fitToScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen || m_retired || m_minimised)
        return;
    // Room for the client area: the work area less the desktop's frame
    // around the window and the menu bar.
    const QRect available = screen->availableGeometry();
    const QMargins frame = m_host.frameMargins();
    const int menu = menuBar()->isHidden() ? 0 : menuBar()->sizeHint().height();
    const double roomWidth = available.width() - frame.left() - frame.right();
    const double roomHeight = available.height() - frame.top() - frame.bottom() - menu;
    const double width = m_form.innerWidth() * m_scale;
    const double height = m_form.innerHeight() * m_scale;
    if (width <= 0 || height <= 0)
        return;
    // A whole pixel less than the room, so that rounding never spills over.
    const double fit = std::min({1.0, (roomWidth - 1) / width, (roomHeight - 1) / height});
    if (fit <= 0.1 || std::abs(fit - m_fit) < 1e-9)
        return;
    m_fit = fit;
    for (Entry& e : m_entries)
        apply(e);
    const QSize size(toPixels(m_form.innerWidth()), toPixels(m_form.innerHeight()) + menu);
    if (m_form.fixedSize())
        setFixedSize(size);
    else
        resize(size);
}

void FormView::keepOnScreen()
{
    if (m_retired || !isVisible() || isMinimized() || isMaximized() || isFullScreen())
        return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    if (frame != QMargins() && frame != m_host.frameMargins())
        m_host.setFrameMargins(frame);
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    if (available.contains(outer))
        return;
    if (outer.width() > available.width() || outer.height() > available.height())
        fitToScreen();
    const QRect now = frameGeometry();
    const int x = std::clamp(now.left(), available.left(), std::max(available.left(), available.right() + 1 - now.width()));
    const int y = std::clamp(now.top(), available.top(), std::max(available.top(), available.bottom() + 1 - now.height()));
    if (x != now.left() || y != now.top())
        move(x, y);
}

QWidget* FormView::widgetFor(const Control& control) const
{
    for (const Entry& e : m_entries)
        if (e.control == &control)
            return e.widget;
    return nullptr;
}

Control* FormView::controlFor(const QObject* widget) const
{
    return m_byWidget.value(const_cast<QObject*>(widget), nullptr);
}

int FormView::readingRank(const QObject* widget) const
{
    if (m_readingRevision != m_form.revision()) {
        m_readingRevision = m_form.revision();
        m_readingRank.clear();
        int rank = 0;
        for (const Control* c : m_form.readingOrder())
            m_readingRank.insert(c, rank++);
    }
    const Control* c = controlFor(widget);
    return c ? m_readingRank.value(c, std::numeric_limits<int>::max() - 1) : std::numeric_limits<int>::max();
}

void FormView::pressFromAssistiveTechnology(Control& control)
{
    // After the request has been answered: a press may open a message box,
    // whose own event loop would keep the answer waiting until it closes.
    QPointer<FormView> self(this);
    Control* c = &control;
    QTimer::singleShot(0, this, [self, c] {
        if (self && !self->m_retired)
            self->route([form = &self->m_form, c] {
                // A mouse press on a button gives it the focus first (the
                // worksheets' print button comes with it).
                if ((c->kind() == Kind::OptionButton || c->kind() == Kind::CommandButton) && form->focused() != c &&
                    form->canFocus(*c))
                    form->setFocus(*c);
                form->mouseClick(*c);
            });
    });
}

void FormView::build()
{
    m_client = new QWidget(this);
    m_client->setObjectName(m_form.name() + u"_client");
    m_client->setAutoFillBackground(true);
    m_client->installEventFilter(this);
    setCentralWidget(m_client);

    for (const auto& control : m_form.controls())
        m_entries.push_back(makeEntry(*control));
    // A text box keeps Qt's own accessible interface, which finds the label
    // that tells what to type by the label's buddy. A caption with "&" would
    // become a shortcut, so none such is tied.
    for (const Entry& e : m_entries)
        if (e.control->kind() == Kind::TextBox && e.control->labelledBy())
            if (auto* label = qobject_cast<QLabel*>(widgetFor(*e.control->labelledBy()));
                label && !e.control->labelledBy()->caption().contains(u'&'))
                label->setBuddy(e.widget);
    // Tab goes through the controls in reading order; in keyboard mode
    // through whatever acts on a click too, and last the window itself.
    const bool keyboard = m_host.keyboardMode();
    QWidget* previous = nullptr;
    for (const Control* control : m_form.readingOrder())
        if (takesFocus(control->kind()) || (keyboard && m_form.isClickTarget(*control)))
            if (QWidget* w = widgetFor(*control)) {
                if (previous)
                    QWidget::setTabOrder(previous, w);
                previous = w;
            }
    if (keyboard && m_form.backgroundClickable()) {
        m_background = new BackgroundFocusWidget(m_client);
        m_background->setObjectName(m_form.name() + u"_background");
        m_background->installEventFilter(this);
        if (previous)
            QWidget::setTabOrder(previous, m_background);
    }

    const int menuHeight = menuBar()->actions().isEmpty() ? 0 : menuBar()->sizeHint().height();
    if (menuBar()->actions().isEmpty())
        menuBar()->hide();
    const QSize clientSize(toPixels(m_form.innerWidth()), toPixels(m_form.innerHeight()));
    resize(clientSize.width(), clientSize.height() + menuHeight);
    if (m_form.fixedSize())
        setFixedSize(size());
    sync();
}

FormView::Entry FormView::makeEntry(Control& control)
{
    Entry e;
    e.control = &control;
    QWidget* parent = m_client;
    if (control.container())
        if (QWidget* w = widgetFor(*control.container()))
            parent = w;

    QPointer<FormView> self(this);
    auto routeTo = [self](auto f) {
        return [self, f] {
            if (self && !self->m_retired)
                self->route(f);
        };
    };
    forms::Form* form = &m_form;
    Control* c = &control;

    switch (control.kind()) {
    case Kind::Label: {
        auto* label = new LabelWidget(parent);
        label->setTextFormat(Qt::PlainText);
        e.widget = label;
        break;
    }
    case Kind::Frame: e.widget = new FrameWidget(parent); break;
    case Kind::OptionButton: {
        auto* button = new OptionPushButton(parent);
        connect(button, &QPushButton::pressed, this, routeTo([form, c] { form->mouseDown(*c); }));
        connect(button, &QPushButton::released, this, routeTo([form, c] { form->mouseUp(*c); }));
        connect(button, &QPushButton::clicked, this, routeTo([form, c] { form->click(*c); }));
        e.widget = button;
        break;
    }
    case Kind::CommandButton: {
        auto* button = new CommandPushButton(parent);
        button->setAutoDefault(false);
        connect(button, &QPushButton::pressed, this, routeTo([form, c] { form->mouseDown(*c); }));
        connect(button, &QPushButton::released, this, routeTo([form, c] { form->mouseUp(*c); }));
        connect(button, &QPushButton::clicked, this, routeTo([form, c] { form->click(*c); }));
        e.widget = button;
        break;
    }
    case Kind::TextBox: {
        auto* edit = new QLineEdit(parent);
        // Keys and assistive technology (which sets, inserts and deletes
        // text through the box's accessible interface, never with keys) both
        // change the text; only the form's own writes, mirrored here, are not
        // the pupil's typing.
        connect(edit, &QLineEdit::textChanged, this, [self, form, c](const QString& text) {
            if (self && !self->m_retired && !self->m_mirroringText)
                self->route([form, c, text] { form->textEdited(*c, text); });
        });
        e.widget = edit;
        break;
    }
    case Kind::Line: e.widget = new LineWidget(parent); break;
    case Kind::Shape: e.widget = new ShapeWidget(parent); break;
    case Kind::Image:
    case Kind::Picture: e.widget = new PictureWidget(parent); break;
    case Kind::MenuItem: {
        e.action = menuBar()->addAction(control.caption());
        e.action->setObjectName(control.objectName());
        connect(e.action, &QAction::triggered, this, routeTo([form, c] { form->click(*c); }));
        break;
    }
    case Kind::Timer: {
        e.timer = new QTimer(this);
        e.timer->setObjectName(control.objectName());
        connect(e.timer, &QTimer::timeout, this, routeTo([form, c] { form->timerTick(*c); }));
        break;
    }
    }
    if (e.widget) {
        e.widget->setObjectName(control.objectName());
        e.widget->installEventFilter(this);
        m_byWidget.insert(e.widget, &control);
    }
    return e;
}

void FormView::apply(Entry& e)
{
    const Control& c = *e.control;
    e.revision = c.revision();

    if (e.action) {
        e.action->setText(c.caption());
        e.action->setVisible(c.visible());
        e.action->setEnabled(c.enabled());
        return;
    }
    if (e.timer) {
        e.timer->setInterval(c.interval());
        const bool run = c.enabled() && c.interval() > 0 && !m_retired;
        if (run && !e.timer->isActive())
            e.timer->start();
        else if (!run && e.timer->isActive())
            e.timer->stop();
        return;
    }
    QWidget* w = e.widget;
    const QColor fore = toColor(c.foreColor());
    const QColor back = toColor(c.backColor());

    if (c.kind() == Kind::Line) {
        auto* line = static_cast<LineWidget*>(w);
        line->setLine(QPoint(toPixels(c.x1()), toPixels(c.y1())), QPoint(toPixels(c.x2()), toPixels(c.y2())),
                      fore.isValid() ? fore : QColor(Qt::black), std::max(1, c.lineWidth()));
    } else {
        const int x = toPixels(c.left());
        const int y = toPixels(c.top());
        w->setGeometry(x, y, toPixels(c.left() + c.width()) - x, toPixels(c.top() + c.height()) - y);
    }
    w->setFont(toFont(c.font(), m_fit));
    w->setEnabled(c.enabled());
    w->setVisible(c.visible());
    w->setToolTip(c.toolTip());

    switch (c.kind()) {
    case Kind::Label: {
        auto* label = static_cast<QLabel*>(w);
        label->setText(c.caption());
        label->setAlignment(toAlignment(c.alignment()));
        label->setWordWrap(c.wordWrap());
        label->setFrameStyle(c.border() ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
        const bool filled = back.isValid() && !c.transparent();
        label->setAutoFillBackground(filled);
        setColors(label, QPalette::Window, filled ? back : QColor(), QPalette::WindowText, fore);
        break;
    }
    case Kind::Frame: {
        auto* frame = static_cast<FrameWidget*>(w);
        frame->setTitle(c.caption());
        frame->setBorder(c.border());
        frame->setFill(back);
        frame->setTitleColor(fore);
        setColors(frame, QPalette::Window, back, QPalette::WindowText, fore);
        break;
    }
    case Kind::OptionButton:
    case Kind::CommandButton: {
        auto* button = static_cast<QPushButton*>(w);
        button->setText(buttonText(c.caption()));
        setColors(button, QPalette::Button, back, QPalette::ButtonText, fore);
        if (c.kind() == Kind::OptionButton)
            button->setChecked(c.selected());
        break;
    }
    case Kind::TextBox: {
        auto* edit = static_cast<QLineEdit*>(w);
        // The form cuts the text at its maximum length in characters; the
        // widget's own limit counts UTF-16 units and would stop a name of
        // emoji halfway, so it stays at its default. The cursor stays where
        // the pupil was typing.
        if (edit->text() != c.caption()) {
            const int cursor = edit->cursorPosition();
            m_mirroringText = true;
            edit->setText(c.caption());
            m_mirroringText = false;
            edit->setCursorPosition(std::min(cursor, int(c.caption().size())));
        }
        setColors(edit, QPalette::Base, back, QPalette::Text, fore);
        break;
    }
    case Kind::Shape: {
        static constexpr ShapeKind kinds[] = {ShapeKind::Rectangle, ShapeKind::RoundedRectangle, ShapeKind::Oval};
        static_cast<ShapeWidget*>(w)->setShape(kinds[int(c.shapeType())], back, fore);
        break;
    }
    case Kind::Image:
    case Kind::Picture: {
        auto* picture = static_cast<PictureWidget*>(w);
        picture->setFill(back);
        picture->setImageScale(m_fit);
        const auto* surface = dynamic_cast<const QtDrawingSurface*>(c.surface());
        if (surface)
            picture->setImageSource([surface] { return &surface->image(); });
        else
            picture->setImageSource({});
        break;
    }
    default: break;
    }
}

void FormView::applyZOrder()
{
    auto restack = [this](const Control* container) {
        std::vector<QWidget*> order;
        for (const Control* child : m_form.children(container))
            if (QWidget* w = widgetFor(*child))
                order.push_back(w);
        auto& cached = m_zOrder[container];
        if (cached == order)
            return;
        cached = order;
        for (QWidget* w : order)
            w->raise();
    };
    restack(nullptr);
    for (const auto& control : m_form.controls())
        if (control->kind() == Kind::Frame)
            restack(control.get());
}

void FormView::sync()
{
    if (m_retired)
        return;
    // What is drawn on a surface changes no control.
    for (Entry& e : m_entries)
        if (const auto* surface = e.control->surface(); surface && e.widget &&
                                                         surface->revision() != e.surfaceRevision) {
            e.surfaceRevision = surface->revision();
            e.widget->update();
        }
    if (m_form.revision() == m_formRevision)
        return;
    m_formRevision = m_form.revision();

    setWindowTitle(m_form.caption());
    QPalette pal = m_client->palette();
    if (const QColor back = toColor(m_form.backColor()); back.isValid())
        pal.setColor(QPalette::Window, back);
    m_client->setPalette(pal);

    for (Entry& e : m_entries)
        if (e.revision != e.control->revision())
            apply(e);
    applyZOrder();
    applyAccessibility();
    mirrorFocus();
}

void FormView::applyAccessibility()
{
    const bool listening = QAccessible::isActive() && isVisible();
    const bool keyboard = m_host.keyboardMode();
    for (Entry& e : m_entries) {
        if (!e.widget)
            continue;
        const Control& c = *e.control;
        // A control that is disabled, hidden or covered is no place for the
        // focus, from Tab or from Qt's own moves. A click target takes it
        // from Tab alone: a click on it moves no focus, as before.
        const bool button = takesFocus(c.kind());
        if (button || (keyboard && m_form.isClickTarget(c))) {
            const Qt::FocusPolicy policy =
                !m_form.canFocus(c) ? Qt::NoFocus : button ? Qt::StrongFocus : Qt::TabFocus;
            if (e.widget->focusPolicy() != policy)
                e.widget->setFocusPolicy(policy);
        }
        const QString name = c.spokenName();
        const bool renamed = name != e.spokenName;
        if (renamed) {
            e.spokenName = name;
            if (c.kind() == Kind::TextBox)
                e.widget->setAccessibleName(name.simplified());  // tells it too
            else if (listening)
                tell(e.widget, QAccessible::NameChanged);
        }
        if (c.accessibleDescription() != e.description) {
            e.description = c.accessibleDescription();
            if (listening)
                tell(e.widget, QAccessible::DescriptionChanged);
        }
        if (c.announced()) {
            const bool showing = c.isEffectivelyVisible() && !m_form.isCovered(c) && !name.trimmed().isEmpty();
            if (showing && (!e.announcedShowing || renamed) && listening)
                tell(e.widget, QAccessible::ObjectShow);
            e.announcedShowing = showing;
        }
    }
}

void FormView::mirrorFocus()
{
    Control* wanted = m_form.focused();
    const bool background = m_background && m_form.backgroundFocused();
    QWidget* current = focusWidget();
    Control* shown = controlFor(current);
    if (wanted == m_mirroredFocus && background == m_mirroredBackground &&
        (!shown || shown == wanted || m_form.canFocus(*shown)))
        return;
    m_mirroredFocus = wanted;
    m_mirroredBackground = background;
    if (QWidget* w = wanted ? widgetFor(*wanted) : background ? m_background : nullptr)
        w->setFocus(Qt::OtherFocusReason);
    else if (shown)
        current->clearFocus();
}

void FormView::retire(std::unique_ptr<forms::Form> form)
{
    m_retired = true;
    m_owned = std::move(form);
    for (Entry& e : m_entries)
        if (e.timer)
            e.timer->stop();
}

void FormView::setImageSource(const Control& control, std::function<const QImage*()> source)
{
    if (auto* picture = dynamic_cast<PictureWidget*>(widgetFor(control)))
        picture->setImageSource(std::move(source));
}

void FormView::route(std::function<void()> f)
{
    if (!m_retired)
        m_host.route(std::move(f));
}

void FormView::reportInnerSize()
{
    if (m_retired || m_minimised)
        return;
    const int w = toTwips(m_client->width());
    const int h = toTwips(m_client->height());
    forms::Form* form = &m_form;
    route([form, w, h] { form->setInnerSize(w, h); });
}

bool FormView::eventFilter(QObject* watched, QEvent* event)
{
    if (m_retired)
        return false;
    if (m_background && watched == m_background) {
        if (event->type() == QEvent::FocusIn && !m_host.syncing()) {
            forms::Form* form = &m_form;
            QPointer<QWidget> widget(m_background);
            route([form, widget] {
                if (widget && widget->hasFocus())
                    form->focusBackground();
            });
        }
        return false;
    }
    if (watched == m_client) {
        if (event->type() == QEvent::Resize) {
            if (m_background)
                m_background->setGeometry(m_client->rect());
            reportInnerSize();
        } else if (event->type() == QEvent::MouseButtonRelease &&
                 static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            forms::Form* form = &m_form;
            route([form] { form->formClick(); });
        }
        return false;
    }
    Control* c = m_byWidget.value(watched, nullptr);
    if (!c)
        return false;
    forms::Form* form = &m_form;

    switch (event->type()) {
    case QEvent::FocusIn: {
        // Focus moved by mirroring the form is the form's own doing.
        if (m_host.syncing())
            return false;
        QPointer<QWidget> widget(static_cast<QWidget*>(watched));
        // Qt opens a window on the first of its tab order, which may be a
        // click target now; a window opens on a button, as before.
        const bool opening = static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason &&
                             !form->focused() && !form->backgroundFocused() && form->isClickTarget(*c);
        route([form, c, widget, opening] {
            if (!widget || !widget->hasFocus())  // overtaken meanwhile
                return;
            if (opening)
                form->focusFirst();
            else
                form->setFocus(*c);
        });
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (c->kind() == Kind::Label || c->kind() == Kind::Frame || c->kind() == Kind::Picture ||
            c->kind() == Kind::Image)
            return true;  // clicks on these belong to them, not to the window below
        return false;
    case QEvent::MouseButtonRelease:
        if (c->kind() == Kind::Label || c->kind() == Kind::Frame || c->kind() == Kind::Picture ||
            c->kind() == Kind::Image) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
                route([form, c] { form->click(*c); });
            return true;
        }
        return false;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        int result = keyCode(key);
        if (!m_host.busy()) {
            const int code = result;
            m_host.route([form, c, code, &result] { result = form->keyDown(*c, code); });
        }
        // A control that handles its own keys keeps them.
        if (result != 0 && !m_form.hasKeyHandler(*c) && typeKey(key))
            return true;
        // The keyboard never works an option button; a handler may still
        // have acted on the key above.
        if (c->kind() == Kind::OptionButton)
            return isActivationKey(key->key()) || result == 0;
        return result == 0;
    }
    case QEvent::KeyRelease:
        return c->kind() == Kind::OptionButton && isActivationKey(static_cast<QKeyEvent*>(event)->key());
    default: return false;
    }
}

bool FormView::typeKey(const QKeyEvent* event)
{
    if (m_retired || !m_host.keyboardMode() || m_host.busy() || event->isAutoRepeat())
        return false;
    bool typed = false;
    forms::Form* form = &m_form;
    const int code = keyCode(event);
    m_host.route([form, code, &typed] { typed = form->typeKey(code); });
    return typed;
}

void FormView::keyPressEvent(QKeyEvent* event)
{
    // Keys a control had first come here too when it let them go.
    if (!controlFor(focusWidget()) && typeKey(event))
        event->accept();
    else
        QMainWindow::keyPressEvent(event);
}

void FormView::closeEvent(QCloseEvent* event)
{
    if (m_retired) {
        event->accept();
        return;
    }
    event->ignore();
    QtWindowHost* host = &m_host;
    const QString name = m_form.name();
    route([host, name] { host->unload(name); });
}

void FormView::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The desktop places the window and frames it just after it shows.
    m_placing = true;
    QPointer<FormView> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self)
            self->keepOnScreen();
    });
    QTimer::singleShot(1500, this, [self] {
        if (self)
            self->m_placing = false;
    });
}

void FormView::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (m_placing)
        keepOnScreen();
}

void FormView::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (m_retired)
        return;
    if (event->type() == QEvent::WindowStateChange) {
        const bool minimised = isMinimized();
        if (minimised && !m_minimised) {
            m_minimised = true;
            forms::Form* form = &m_form;
            route([form] { form->setInnerSize(0, 0); });
        } else if (!minimised && m_minimised) {
            m_minimised = false;
            reportInnerSize();
        }
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        QtWindowHost* host = &m_host;
        forms::Form* form = &m_form;
        route([host, form] { host->activated(*form); });
    }
}

}  // namespace ui

#include "ui/Accessibility.h"

#include "ui/FormView.h"
#include "ui/Widgets.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QMenu>
#include <QMessageBox>

#include <algorithm>

namespace ui {

using forms::Control;
using forms::Kind;

namespace {

// A window's client area or one of its frames: its controls are told in
// reading order, not in the order they were made or stacked, so that the
// places of an operation come left to right wherever the variant put them.
class ContainerAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return int(children().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> kids = children();
        return index >= 0 && index < kids.size() ? QAccessible::queryAccessibleInterface(kids[index]) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(children().indexOf(child->object())) : -1;
    }

protected:
    FormView* view() const { return dynamic_cast<FormView*>(widget()->window()); }

private:
    // As Qt's own list of a widget's children (no windows, no menus), sorted.
    QList<QWidget*> children() const
    {
        QList<QWidget*> kids;
        for (QObject* o : widget()->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && !qobject_cast<QMenu*>(w))
                kids << w;
        if (const FormView* v = view())
            std::stable_sort(kids.begin(), kids.end(),
                             [v](QWidget* a, QWidget* b) { return v->readingRank(a) < v->readingRank(b); });
        return kids;
    }
};

// A control of a window, as assistive technology sees it.
class ControlAccessible final : public ContainerAccessible {
public:
    explicit ControlAccessible(QWidget* widget) : ContainerAccessible(widget) {}

    QAccessible::Role role() const override
    {
        const Control* c = control();
        if (!c)
            return QAccessibleWidget::role();
        switch (c->kind()) {
        case Kind::OptionButton:
        case Kind::CommandButton: return QAccessible::PushButton;
        case Kind::Frame: return c->announced() ? QAccessible::AlertMessage : QAccessible::Grouping;
        case Kind::Label: return c->announced() ? QAccessible::AlertMessage : QAccessible::StaticText;
        case Kind::Picture:
        case Kind::Image:
        case Kind::Line:
        case Kind::Shape: return QAccessible::Graphic;
        default: return ContainerAccessible::role();
        }
    }

    QString text(QAccessible::Text t) const override
    {
        const Control* c = control();
        if (!c)
            return QAccessibleWidget::text(t);
        switch (t) {
        case QAccessible::Name: return c->spokenName();
        case QAccessible::Description: return c->accessibleDescription();
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        const Control* c = control();
        if (!c)
            return st;
        // Under another control it is not seen, and a click cannot reach it.
        if (view()->form().isCovered(*c))
            st.offscreen = true;
        if (isSilent(*c))
            st.invisible = true;
        if (auto* button = qobject_cast<QAbstractButton*>(widget()); button && button->isDown())
            st.pressed = true;
        return st;
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override
    {
        auto result = QAccessibleWidget::relations(match);
        const Control* c = control();
        if (!c)
            return result;
        FormView* v = view();
        const auto add = [&](const Control& other, QAccessible::Relation relation) {
            if (QWidget* w = v->widgetFor(other))
                if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w))
                    result.append({iface, relation});
        };
        if ((match & QAccessible::Label) && c->labelledBy())
            add(*c->labelledBy(), QAccessible::Label);
        if (match & QAccessible::Labelled)
            for (const auto& other : v->form().controls())
                if (other->labelledBy() == c)
                    add(*other, QAccessible::Labelled);
        return result;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (const Control* c = control(); c && pressable(*c))
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override
    {
        Control* c = control();
        if (c && action == pressAction() && pressable(*c))
            view()->pressFromAssistiveTechnology(*c);
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    Control* control() const
    {
        FormView* v = view();
        return v ? v->controlFor(widget()) : nullptr;
    }

    bool pressable(const Control& c) const
    {
        return c.kind() == Kind::OptionButton || c.kind() == Kind::CommandButton ||
               view()->form().hasHandler(c, forms::Event::Click);
    }

    // Nothing to read and nothing to press: a marker strip, a cross, a
    // curtain; or a caption that the value it labels already says.
    bool isSilent(const Control& c) const
    {
        if (c.kind() == Kind::Label && !pressable(c))
            for (const auto& other : view()->form().controls())
                if (other->labelledBy() == &c && other->kind() != Kind::TextBox && other->accessibleName().isEmpty())
                    return true;
        switch (c.kind()) {
        case Kind::Label:
        case Kind::Picture:
        case Kind::Image:
        case Kind::Line:
        case Kind::Shape: return c.spokenName().trimmed().isEmpty() && !pressable(c);
        default: return false;
        }
    }
};

// A message box is told as soon as it shows, its text with it.
class MessageBoxAccessible final : public QAccessibleWidget {
public:
    explicit MessageBoxAccessible(QMessageBox* box) : QAccessibleWidget(box, QAccessible::AlertMessage) {}

    QString text(QAccessible::Text t) const override
    {
        const auto* box = static_cast<const QMessageBox*>(widget());
        switch (t) {
        case QAccessible::Name: return box->windowTitle();
        case QAccessible::Description: return box->text();
        default: return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (auto* box = qobject_cast<QMessageBox*>(widget))
        return new MessageBoxAccessible(box);
    if (auto* view = dynamic_cast<FormView*>(widget->window()); view && view->client() == widget)
        return new ContainerAccessible(widget, QAccessible::Client);
    if (dynamic_cast<OptionPushButton*>(widget) || dynamic_cast<FrameWidget*>(widget) ||
        dynamic_cast<LabelWidget*>(widget) || dynamic_cast<PictureWidget*>(widget) ||
        dynamic_cast<LineWidget*>(widget) || dynamic_cast<ShapeWidget*>(widget) ||
        dynamic_cast<CommandPushButton*>(widget))
        return new ControlAccessible(widget);
    return nullptr;
}

}  // namespace

void installAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

}  // namespace ui

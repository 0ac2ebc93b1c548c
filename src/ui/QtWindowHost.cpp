#include "ui/QtWindowHost.h"

#include "ui/FormView.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QSaveFile>
#include <QTextStream>
#include <QGuiApplication>
#include <QScreen>

namespace ui {

QtWindowHost::QtWindowHost(Factory factory) : WindowHost(std::move(factory)) {}

QtWindowHost::~QtWindowHost()
{
    for (auto& view : m_views)
        delete view.data();
}

FormView* QtWindowHost::viewOf(const forms::Form& form) const { return m_views.value(&form); }

FormView* QtWindowHost::viewOf(const QString& name) const
{
    forms::Form* form = find(name);
    return form ? viewOf(*form) : nullptr;
}

void QtWindowHost::route(std::function<void()> f)
{
    m_queue.push_back(std::move(f));
    if (m_routing)
        return;
    m_routing = true;
    while (!m_queue.empty()) {
        auto next = std::move(m_queue.front());
        m_queue.erase(m_queue.begin());
        next();
        syncAll();  // may emit widget signals: they queue behind
    }
    m_routing = false;
    if (!m_traceFile.isEmpty())
        writeTrace();
}

void QtWindowHost::writeTrace()
{
    QSaveFile file(m_traceFile);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QTextStream out(&file);
    auto clean = [](QString text) { return text.replace(u'\n', u' ').replace(u'\t', u' '); };
    for (forms::Form* form : loadedForms()) {
        FormView* view = viewOf(*form);
        if (!view)
            continue;
        out << form->name() << "\t\t" << clean(view->windowTitle()) << "\t1\t" << int(view->isVisible()) << "\n";
        for (const auto& control : form->controls()) {
            QWidget* widget = view->widgetFor(*control);
            // A menu item is where the menu bar shows its action.
            QWidget* area = widget;
            QRect rect = widget ? widget->rect() : QRect();
            if (!widget && control->kind() == forms::Kind::MenuItem && view->menuBar()->isVisible())
                if (auto* action = view->menuBar()->findChild<QAction*>(control->objectName());
                    action && action->isVisible()) {
                    area = view->menuBar();
                    rect = view->menuBar()->actionGeometry(action);
                }
            out << form->name() << '\t' << control->objectName() << '\t' << clean(control->caption()) << '\t'
                << int(control->isEffectivelyEnabled()) << '\t' << int(area && area->isVisible());
            if (area) {
                const QPoint topLeft = area->mapToGlobal(rect.topLeft());
                out << '\t' << topLeft.x() << '\t' << topLeft.y() << '\t' << rect.width() << '\t' << rect.height()
                    << '\t' << int(widget && widget->hasFocus());
            }
            out << '\n';
        }
    }
    out.flush();
    file.commit();
}

void QtWindowHost::syncAll()
{
    const bool outer = !m_syncing;
    m_syncing = true;
    for (auto& view : m_views)
        if (view)
            view->sync();
    if (outer)
        m_syncing = false;
}

namespace {
double twipsPerPixel()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? 15.0 * 96.0 / screen->logicalDotsPerInch() : 15.0;
}
}  // namespace

// In the twips of the active window, which is drawn smaller where it had to
// be fitted to the screen: what it centres on the screen stays centred.
int QtWindowHost::screenWidth() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const FormView* view = active() ? viewOf(*active()) : nullptr;
    const double fit = view ? view->fit() : 1.0;
    return screen ? int(screen->size().width() * twipsPerPixel() / fit) : WindowHost::screenWidth();
}

int QtWindowHost::screenHeight() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const FormView* view = active() ? viewOf(*active()) : nullptr;
    const double fit = view ? view->fit() : 1.0;
    return screen ? int(screen->size().height() * twipsPerPixel() / fit) : WindowHost::screenHeight();
}

void QtWindowHost::doEvents()
{
    syncAll();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtWindowHost::viewLoaded(forms::Form& form) { m_views.insert(&form, new FormView(form, *this)); }

void QtWindowHost::viewShown(forms::Form& form, forms::Modality modality)
{
    FormView* view = viewOf(form);
    if (!view)
        return;
    view->sync();
    view->fitToScreen();
    view->setWindowModality(modality == forms::Modality::Modal ? Qt::ApplicationModal : Qt::NonModal);
    view->show();
}

void QtWindowHost::viewActivated(forms::Form& form)
{
    if (FormView* view = viewOf(form); view && view->isVisible()) {
        view->raise();
        view->activateWindow();
    }
}

void QtWindowHost::viewUnloaded(std::unique_ptr<forms::Form> form)
{
    QPointer<FormView> view = m_views.take(form.get());
    if (!view)
        return;
    view->retire(std::move(form));
    view->hide();
    view->deleteLater();
}

void QtWindowHost::allUnloaded() { QCoreApplication::quit(); }

}  // namespace ui

#include "forms/WindowHost.h"

#include <algorithm>

namespace forms {

WindowHost::WindowHost(Factory factory) : m_factory(std::move(factory)) {}

WindowHost::~WindowHost() = default;

WindowHost::Entry* WindowHost::entry(const QString& name)
{
    auto it = m_loaded.find(name);
    return it == m_loaded.end() ? nullptr : &it->second;
}

Form* WindowHost::find(const QString& name) const
{
    auto it = m_loaded.find(name);
    return it == m_loaded.end() ? nullptr : it->second.form.get();
}

bool WindowHost::isShown(const QString& name) const
{
    auto it = m_loaded.find(name);
    return it != m_loaded.end() && it->second.shown;
}

std::vector<Form*> WindowHost::loadedForms() const
{
    std::vector<Form*> forms;
    for (const auto& [name, e] : m_loaded)
        forms.push_back(e.form.get());
    return forms;
}

Form* WindowHost::load(const QString& name)
{
    if (Entry* e = entry(name))
        return e->form.get();
    if (m_closingAll)
        return nullptr;
    std::unique_ptr<Form> form = m_factory ? m_factory(name) : nullptr;
    if (!form)
        return nullptr;
    Form* raw = form.get();
    raw->setHost(this);
    m_loaded[name].form = std::move(form);
    viewLoaded(*raw);
    raw->load();
    updateBlocking();
    return find(name);  // Form_Load may have unloaded it again
}

Form* WindowHost::show(const QString& name, Modality modality)
{
    Form* form = load(name);
    if (!form)
        return nullptr;
    Entry* e = entry(name);
    if (!e->shown) {
        e->shown = true;
        e->modality = modality;
        m_stack.push_back(form);
        updateBlocking();
        viewShown(*form, modality);
        // The first display raises a resize, at the design size unless the
        // view has already reported the real one.
        form->setInnerSize(form->innerWidth(), form->innerHeight());
    }
    if (find(name) == form)
        makeActive(*form);
    return find(name);
}

void WindowHost::makeActive(Form& form, bool byPlatform)
{
    auto it = std::find(m_stack.begin(), m_stack.end(), &form);
    if (it != m_stack.end()) {
        m_stack.erase(it);
        m_stack.push_back(&form);
    }
    if (m_active == &form)
        return;
    m_active = &form;
    if (!byPlatform)
        viewActivated(form);
    form.activate();
}

void WindowHost::activated(Form& form)
{
    if (form.isUnloaded() || form.inputBlocked() || !isShown(form.name()))
        return;
    makeActive(form, true);
}

void WindowHost::updateBlocking()
{
    // The latest modal window shown blocks every other window.
    Form* modal = nullptr;
    for (Form* f : m_stack)
        if (Entry* e = entry(f->name()); e && e->modality == Modality::Modal)
            modal = f;
    for (auto& [name, e] : m_loaded)
        e.form->setInputBlocked(modal && e.form.get() != modal);
}

void WindowHost::unload(const QString& name)
{
    Entry* e = entry(name);
    if (!e || e->form->isUnloaded())
        return;
    Form* form = e->form.get();
    form->unload();  // Form_Unload may show or unload other windows
    auto it = m_loaded.find(name);
    if (it == m_loaded.end() || it->second.form.get() != form)
        return;
    std::unique_ptr<Form> owned = std::move(it->second.form);
    m_loaded.erase(it);
    m_stack.erase(std::remove(m_stack.begin(), m_stack.end(), form), m_stack.end());
    updateBlocking();
    const bool wasActive = m_active == form;
    if (wasActive)
        m_active = nullptr;
    viewUnloaded(std::move(owned));
    if (wasActive && !m_stack.empty())
        makeActive(*m_stack.back());
    if (m_loaded.empty())
        allUnloaded();
}

void WindowHost::unloadAll()
{
    if (m_closingAll)
        return;
    m_closingAll = true;
    while (!m_loaded.empty()) {
        const QString name = m_loaded.begin()->first;
        unload(name);
        if (Entry* e = entry(name)) {  // an unload handler kept it: drop it anyway
            m_stack.erase(std::remove(m_stack.begin(), m_stack.end(), e->form.get()), m_stack.end());
            if (m_active == e->form.get())
                m_active = nullptr;
            std::unique_ptr<Form> owned = std::move(e->form);
            m_loaded.erase(name);
            viewUnloaded(std::move(owned));
            if (m_loaded.empty())
                allUnloaded();
        }
    }
    m_closingAll = false;
}

}  // namespace forms

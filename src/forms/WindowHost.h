#pragma once

#include "forms/Form.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace forms {

enum class Modality { Modeless, Modal };

// Loads, shows and unloads the program's windows by name, and keeps the
// window-system rules the windows rely on: Form_Load on loading; Form_Resize
// and Form_Activate on first showing; a modal window blocks input to the
// others; when the active window goes, the one beneath becomes active again
// and receives Form_Activate.
//
// By itself it runs without any toolkit (the logic tests use it so); the Qt
// host derives from it and puts real windows behind the forms.
class WindowHost {
public:
    using Factory = std::function<std::unique_ptr<Form>(const QString& name)>;

    explicit WindowHost(Factory factory);
    virtual ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    // Loads the window if it is not loaded yet (running Form_Load).
    Form* load(const QString& name);
    // Loads if needed, shows, and makes it the active window.
    Form* show(const QString& name, Modality modality = Modality::Modeless);
    void unload(const QString& name);
    // Unloads every window, one after the other. Unload handlers that try to
    // show a window that is already gone do not bring it back.
    void unloadAll();

    Form* find(const QString& name) const;
    bool isLoaded(const QString& name) const { return find(name) != nullptr; }
    bool isShown(const QString& name) const;
    Form* active() const { return m_active; }
    std::vector<Form*> loadedForms() const;

    // The platform reports that the user activated a window.
    void activated(Form& form);

    // Screen size in twips, for centring panels.
    virtual int screenWidth() const { return 15 * 1280; }
    virtual int screenHeight() const { return 15 * 1024; }
    // Lets the screen catch up in the middle of a long handler.
    virtual void doEvents() {}

    // Keyboard mode: keys work what a click would work (Form::typeKey), and
    // whatever acts on a click takes the focus. Off, no key acts on a button
    // that the windows say the keyboard leaves alone. Set before any window.
    void setKeyboardMode(bool on) { m_keyboardMode = on; }
    bool keyboardMode() const { return m_keyboardMode; }

    // Frees windows unloaded earlier. Call only when no handler runs.
    void collect() { m_unloaded.clear(); }

protected:
    // Hooks for a host with real windows.
    virtual void viewLoaded(Form&) {}
    virtual void viewShown(Form&, Modality) {}
    virtual void viewActivated(Form&) {}
    // Takes the unloaded form; by default it is kept until collect().
    virtual void viewUnloaded(std::unique_ptr<Form> form) { m_unloaded.push_back(std::move(form)); }
    virtual void allUnloaded() {}

private:
    struct Entry {
        std::unique_ptr<Form> form;
        bool shown = false;
        Modality modality = Modality::Modeless;
    };
    Entry* entry(const QString& name);
    // From the platform's own activation the view needs no request back.
    void makeActive(Form& form, bool byPlatform = false);
    void updateBlocking();

    Factory m_factory;
    std::map<QString, Entry> m_loaded;
    std::vector<Form*> m_stack;  // shown windows, most recently active last
    Form* m_active = nullptr;
    bool m_closingAll = false;
    bool m_keyboardMode = false;
    std::vector<std::unique_ptr<Form>> m_unloaded;
};

}  // namespace forms

#pragma once

#include "forms/Control.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace forms {

class WindowHost;

enum class Event { MouseDown, MouseUp, Click, Change, GotFocus, LostFocus, KeyDown, Timer };
inline constexpr int kEventCount = 8;

// Key codes the windows look at.
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;

// A window as its logic sees it: the controls, the window's own caption,
// colour and inner size, and the event handlers. Subclasses build their
// controls in the constructor (the design table), register handlers for
// control events with on(), and override the Form_ methods they need.
//
// Input events (mouse, click, keys, timer ticks) reach a control only while
// it and every container are enabled and visible, and only while no modal
// window blocks this one. Handlers run one at a time; an event that arrives
// while a handler runs is queued and delivered after it.
class Form {
public:
    using Handler = std::function<void(int index)>;
    using KeyHandler = std::function<void(int index, int& keyCode)>;

    Form(QString name, int designWidth, int designHeight);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const QString& name() const { return m_name; }
    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption);
    Rgb backColor() const { return m_back; }
    void setBackColor(Rgb color);

    int designWidth() const { return m_designWidth; }
    int designHeight() const { return m_designHeight; }
    int innerWidth() const { return m_innerWidth; }
    int innerHeight() const { return m_innerHeight; }
    // Width including the window border, as the platform reports it.
    int outerWidth() const { return m_innerWidth + 2 * kBorderTwips; }
    static constexpr int kBorderTwips = 60;
    // Windows of fixed layout are not meant to be resized by the user.
    bool fixedSize() const { return m_fixedSize; }

    // --- controls --------------------------------------------------------
    const std::vector<std::unique_ptr<Control>>& controls() const { return m_controls; }
    Control* find(QStringView name, int index = -1) const;
    // The control, which must exist (a design error otherwise).
    Control& c(QStringView name, int index = -1) const;
    // Children of a container (nullptr: the window itself), back to front.
    const std::vector<Control*>& children(const Control* container) const;
    void bringToFront(Control& control);

    // Whether a control lies under another one in front of it, so that a
    // click on its middle reaches the other one.
    bool isCovered(const Control& control) const;
    // Every control with a place on the window, read as a page is: line by
    // line from the top, left to right, a frame's controls right after it.
    std::vector<Control*> readingOrder() const;

    // --- focus -----------------------------------------------------------
    Control* focused() const { return m_focused; }
    // Moves the focus, firing LostFocus and GotFocus. Ignored for a control
    // that cannot take the focus or is covered.
    void setFocus(Control& control);
    // A control that can take the focus and is not covered. In keyboard mode
    // a click target takes it too: the keyboard reaches all a click reaches.
    bool canFocus(const Control& control) const;
    // Not a button, yet a click on it acts: a label, frame or picture with a
    // click handler.
    bool isClickTarget(const Control& control) const;
    // A click on the window's own background acts (Form_Click).
    bool backgroundClickable() const { return m_backgroundClickable; }
    // Keyboard mode, where the background acts on a click: the window itself
    // takes the focus from its controls, and Space or Enter click it.
    void focusBackground();
    bool backgroundFocused() const { return m_backgroundFocused; }
    bool keyboardMode() const;
    // The focus to the first control in reading order that can take it, a
    // click target only when nothing else can.
    void focusFirst();

    // --- input, from the view or from tests -----------------------------
    void mouseDown(Control& control);
    void mouseUp(Control& control);
    void click(Control& control);
    // Returns the key code as the handler left it (0 = swallowed).
    int keyDown(Control& control, int keyCode);
    // The whole new text of a text box. The box keeps one line of at most
    // maxLength characters (not UTF-16 units): control characters become
    // blanks, direction overrides are dropped, and the rest is cut off.
    void textEdited(Control& control, const QString& text);
    void timerTick(Control& control);
    void formClick();
    // Mouse down then mouse up, as a pupil's press of an option button.
    void press(Control& control);
    void press(QStringView name, int index = -1) { press(c(name, index)); }
    // All that a mouse click on the control runs (down, up, then click while
    // it still takes input), or nothing when a click could not reach it.
    // Assistive technology and the keyboard mode press buttons with it.
    void mouseClick(Control& control);
    // Keyboard mode: the key presses the first control bound to it that a
    // click could reach now; Space, and Enter where no bound control takes
    // it, press the focused option button, click target or background (Enter
    // a command button too). Keys typed into a text box stay there. Returns
    // whether it pressed anything.
    bool typeKey(int keyCode);
    bool hasHandler(const Control& control, Event event) const;
    bool hasKeyHandler(const Control& control) const;

    // --- lifecycle, driven by the WindowHost ----------------------------
    void load();
    void activate();
    // Fires Form_Resize when the inner size changes, and on the first call.
    void setInnerSize(int width, int height);
    void unload();
    bool isUnloaded() const { return m_unloaded; }
    bool inputBlocked() const { return m_inputBlocked; }
    void setInputBlocked(bool blocked) { m_inputBlocked = blocked; }
    WindowHost* host() const { return m_host; }
    void setHost(WindowHost* host) { m_host = host; }

    // Bumped on every change of the form or any control.
    std::uint64_t revision() const { return m_revision; }
    void noteChanged() { ++m_revision; }

    // Runs an event handler of a control (programmatic changes use this too).
    void fire(Control& control, Event event);

protected:
    ControlBuilder add(Kind kind, const QString& name, int index = -1, Control* container = nullptr);
    ControlBuilder add(Kind kind, const QString& name, Control* container) { return add(kind, name, -1, container); }
    void on(const QString& name, Event event, Handler handler);
    void onKeyDown(const QString& name, KeyHandler handler);
    // Keyboard mode: the key works the control as a click would.
    void bindKey(int keyCode, Control& control);
    void setFixedSize(bool fixed) { m_fixedSize = fixed; }
    // For the windows that override Form_Click.
    void setBackgroundClickable(bool on) { m_backgroundClickable = on; }

    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload() {}
    virtual void Form_Click() {}

private:
    struct Handlers {
        Handler on[kEventCount];
        KeyHandler keyDown;
    };
    static QString key(QStringView name, int index);
    bool acceptsInput(const Control& control) const;
    // Runs f now, or after the handler in progress when called from one.
    void deliver(std::function<void()> f);
    // The focus leaves a control that can no longer take it for the next one
    // in reading order that can, or goes nowhere.
    void settleFocus();

    QString m_name;
    QString m_caption;
    Rgb m_back = kDefaultColor;
    int m_designWidth;
    int m_designHeight;
    int m_innerWidth;
    int m_innerHeight;
    bool m_fixedSize = false;
    bool m_backgroundClickable = false;
    bool m_backgroundFocused = false;
    bool m_resizedOnce = false;
    bool m_unloaded = false;
    bool m_unloading = false;
    bool m_inputBlocked = false;
    WindowHost* m_host = nullptr;

    std::vector<std::unique_ptr<Control>> m_controls;
    QHash<QString, Control*> m_byKey;
    QHash<const Control*, std::vector<Control*>> m_children;
    QHash<QString, Handlers> m_handlers;
    Control* m_focused = nullptr;
    Control* m_pressed = nullptr;
    std::vector<std::pair<int, Control*>> m_keys;
    bool m_settling = false;

    int m_depth = 0;
    std::vector<std::function<void()>> m_queue;
    std::uint64_t m_revision = 1;
};

}  // namespace forms

#pragma once

#include "forms/Form.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QTimer;

namespace ui {

class QtWindowHost;
class PictureWidget;

// The real window behind one forms::Form. It builds one widget per control,
// sends the widgets' events to the form through the host, and after every
// event copies whatever the handlers changed back into the widgets.
class FormView : public QMainWindow {
public:
    FormView(forms::Form& form, QtWindowHost& host);
    ~FormView() override;

    forms::Form& form() const { return m_form; }
    QWidget* widgetFor(const forms::Control& control) const;
    // The control a widget of this window stands for, if any.
    forms::Control* controlFor(const QObject* widget) const;
    // Assistive technology pressed the control: it gets what a mouse click
    // gives it, and nothing when a click could not reach it.
    void pressFromAssistiveTechnology(forms::Control& control);
    QWidget* client() const { return m_client; }
    // Where the control stands in reading order (see forms::Form); after
    // every control for anything else.
    int readingRank(const QObject* widget) const;

    // Mirrors every change since the last call.
    void sync();
    // The form is gone: ignore every event from now on, and own the form so
    // it dies with the widgets.
    void retire(std::unique_ptr<forms::Form> form);

    // Twips to pixels and back, at 15 twips a pixel scaled by the screen's
    // dpi, and by the fit below.
    int toPixels(int twips) const;
    int toTwips(int pixels) const;
    // A window larger than the work area is drawn smaller, controls, text
    // and pictures alike, at the largest scale that fits; one that fits is
    // left as it is.
    void fitToScreen();
    double fit() const { return m_fit; }

    // Lets a picture box show what a drawing surface holds.
    void setImageSource(const forms::Control& control, std::function<const QImage*()> source);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    struct Entry {
        forms::Control* control = nullptr;
        QWidget* widget = nullptr;
        QAction* action = nullptr;
        QTimer* timer = nullptr;
        std::uint64_t revision = 0;
        std::uint64_t surfaceRevision = 0;
        // What assistive technology was last told.
        QString spokenName;
        QString description;
        bool announcedShowing = false;
    };

    void build();
    Entry makeEntry(forms::Control& control);
    void apply(Entry& entry);
    void applyZOrder();
    // Focus policies, and the names, descriptions and announcements that
    // assistive technology is told of.
    void applyAccessibility();
    void mirrorFocus();
    // Keyboard mode: the key works a button. Returns whether it did.
    bool typeKey(const QKeyEvent* event);
    void reportInnerSize();
    // Once the desktop has framed and placed the window: fits it again with
    // the real frame, and moves it into the work area.
    void keepOnScreen();
    void route(std::function<void()> f);

    forms::Form& m_form;
    QtWindowHost& m_host;
    QWidget* m_client = nullptr;
    std::vector<Entry> m_entries;
    QHash<QObject*, forms::Control*> m_byWidget;
    QHash<const forms::Control*, std::vector<QWidget*>> m_zOrder;
    std::uint64_t m_formRevision = 0;
    mutable QHash<const forms::Control*, int> m_readingRank;
    mutable std::uint64_t m_readingRevision = 0;
    forms::Control* m_mirroredFocus = nullptr;
    bool m_mirroredBackground = false;
    // Keyboard mode, where the background acts on a click.
    QWidget* m_background = nullptr;
    double m_scale = 1.0 / 15.0;
    double m_fit = 1.0;
    bool m_placing = false;
    bool m_retired = false;
    // The form's text is being copied into a text box.
    bool m_mirroringText = false;
    bool m_minimised = false;
    std::unique_ptr<forms::Form> m_owned;
};

}  // namespace ui

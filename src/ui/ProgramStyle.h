#pragma once

#include <QHash>
#include <QPalette>
#include <QProxyStyle>

namespace ui {

// Fusion, the program's style, with two differences, and a third in
// keyboard mode: the menu bar marks the item the keyboard is on, which
// Fusion marks only while a menu is open (these items open none).
//
// The overflow button that every menu bar makes gets its icon only when the
// icon is first drawn or measured. Asked for at once, the icon reads its
// image file, and Qt loads every image format plugin to find out who reads
// it, while the first window is being built; the button itself only shows on
// a window too narrow for its menus.
//
// Buttons are painted with one shared palette for each set of colours.
// Fusion keeps every button face it paints in the pixmap cache, under a key
// made from the palette's identity, and every widget whose colours are set
// gets a palette of its own: each window opened and closed left its faces
// in the cache under keys nothing would ask for again, so memory grew with
// every window (tens of KiB a practice window). With shared palettes a face
// is made once for every window that shows it.
class ProgramStyle final : public QProxyStyle {
public:
    ProgramStyle();
    void setKeyboardMode(bool on) { m_keyboardMode = on; }

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

private:
    const QPalette& sharedPalette(const QPalette& palette) const;

    mutable QHash<QByteArray, QPalette> m_palettes;  // by their colours
    bool m_keyboardMode = false;
};

}  // namespace ui

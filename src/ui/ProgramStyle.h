#pragma once

#include <QProxyStyle>

namespace ui {

// Fusion, the program's style, with one difference: the overflow button that
// every menu bar makes gets its icon only when the icon is first drawn or
// measured. Asked for at once, the icon reads its image file, and Qt loads
// every image format plugin to find out who reads it, while the first window
// is being built; the button itself only shows on a window too narrow for
// its menus.
class ProgramStyle final : public QProxyStyle {
public:
    ProgramStyle();

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace ui

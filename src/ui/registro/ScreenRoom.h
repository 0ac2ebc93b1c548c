#pragma once

#include <QList>
#include <QWidget>

class QHBoxLayout;
class QVBoxLayout;

namespace registro_ui {

// A row of controls in two parts: side by side while the row has the width
// it asks for, the second part under the first when it has not (a small
// screen, big text). Side by side, it is laid out as one row of the same
// items would be.
class WrappingRow final : public QWidget {
public:
    // A control, a fixed space or a stretch, in the order of the row.
    struct Item {
        QWidget* widget = nullptr;
        int spacing = 0;
        int stretch = 0;
    };
    WrappingRow(QList<Item> first, int between, QList<Item> second, QWidget* parent = nullptr);
    bool wrapped() const { return m_wrapped; }
    // As narrow as the two rows.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void arrange(bool wrapped);
    void measure();
    void follow();

    QList<Item> m_first;
    QList<Item> m_second;
    int m_between;
    QVBoxLayout* m_rows;
    QHBoxLayout* m_top;
    QHBoxLayout* m_bottom;
    bool m_wrapped = false;
    int m_oneRowWidth = 0;
    int m_twoRowsWidth = 0;
};

// Keeps a top-level window inside the screen's work area once the desktop
// has framed and placed it: smaller where its frame would run past the work
// area, and moved inside it.
void keepInWorkArea(QWidget* window);

}  // namespace registro_ui

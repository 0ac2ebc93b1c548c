#include "ui/ProgramStyle.h"

#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionMenuItem>
#include <QStyleFactory>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The program's style paints buttons with palettes shared between widgets of
// the same colours: what it paints must be exactly what Fusion paints, in
// every state a keypad button takes.
class ProgramStyleTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buttonsLookExactlyAsFusionPaintsThem()
    {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(u"Fusion"_s));
        ui::ProgramStyle program;
        QWidget window;
        QPushButton button(u"Verifica"_s, &window);
        button.resize(140, 48);
        button.setCheckable(true);
        QPalette coloured = window.palette();
        for (auto group : {QPalette::Active, QPalette::Inactive})
            coloured.setColor(group, QPalette::Button, QColor(0xFF, 0xFF, 0xC0));
        coloured.setColor(QPalette::Disabled, QPalette::Button, QColor(0x80, 0x40, 0x40));
        coloured.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0xC0, 0xC0, 0xC0));
        for (const QPalette& palette : {window.palette(), coloured})
            for (bool enabled : {true, false})
                for (bool down : {false, true}) {
                    button.setPalette(palette);
                    button.setEnabled(enabled);
                    button.setChecked(down);
                    button.setStyle(fusion.get());
                    const QImage expected = button.grab().toImage();
                    button.setStyle(&program);
                    QCOMPARE(button.grab().toImage(), expected);
                }
    }

    // Fusion marks a menu bar item only while its menu is open, and these
    // items open none: walked with the keyboard, in keyboard mode, the item
    // is marked; hovered by the mouse, or outside the mode, it is not.
    void inKeyboardModeTheMenuBarMarksTheItemTheKeyboardIsOn()
    {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(u"Fusion"_s));
        ui::ProgramStyle program;
        QMenuBar bar;
        bar.addAction(u"Valutazione"_s);
        bar.show();
        bar.activateWindow();
        bar.setFocus();
        QTRY_VERIFY(bar.hasFocus());
        const auto paint = [&bar](const QStyle& style) {
            QStyleOptionMenuItem item;
            item.initFrom(&bar);
            item.rect = QRect(0, 0, 100, 24);
            item.text = u"Valutazione"_s;
            item.state |= QStyle::State_Selected;
            QImage image(item.rect.size(), QImage::Format_RGB32);
            QPainter painter(&image);
            style.drawControl(QStyle::CE_MenuBarItem, &item, &painter, &bar);
            return image;
        };
        const QImage plain = paint(*fusion);
        QCOMPARE(paint(program), plain);
        program.setKeyboardMode(true);
        const QImage walked = paint(program);
        QCOMPARE(walked.pixelColor(2, 12), bar.palette().color(QPalette::Highlight));
        QVERIFY(plain.pixelColor(2, 12) != bar.palette().color(QPalette::Highlight));
        bar.clearFocus();
        QCOMPARE(paint(program), plain);
    }
};

QTEST_MAIN(ProgramStyleTest)
#include "ProgramStyleTest.moc"

#pragma once

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>

// The small custom widgets behind the controls that Qt has no ready match for.
namespace ui {

// Once the keyboard has moved the focus, the focused control is framed in
// bold black, boldly enough to be found from across a classroom.
bool showsKeyboardFocus(const QWidget* widget);
void paintFocusFrame(QWidget* widget, int width);

// A frame: background, optional border with its title set into the top line.
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(QWidget* parent);
    void setTitle(const QString& title);
    void setBorder(bool border);
    void setFill(const QColor& fill);  // invalid: show the parent through
    void setTitleColor(const QColor& color);
    QString title() const { return m_title; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_title;
    bool m_border = true;
    QColor m_fill;
    QColor m_titleColor;
};

// A straight line between two points given in the parent's coordinates.
class LineWidget : public QWidget {
public:
    explicit LineWidget(QWidget* parent);
    void setLine(QPoint from, QPoint to, const QColor& color, int width);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPoint m_from, m_to;  // local coordinates
    QColor m_color;
    int m_width = 1;
};

enum class ShapeKind { Rectangle, RoundedRectangle, Oval };

class ShapeWidget : public QWidget {
public:
    explicit ShapeWidget(QWidget* parent);
    void setShape(ShapeKind kind, const QColor& fill, const QColor& border);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    ShapeKind m_kind = ShapeKind::Rectangle;
    QColor m_fill, m_border;
};

// A picture box: a background and, when it draws something, the image it keeps.
class PictureWidget : public QWidget {
public:
    using ImageSource = std::function<const QImage*()>;
    explicit PictureWidget(QWidget* parent);
    void setFill(const QColor& fill);
    void setImageSource(ImageSource source) { m_source = std::move(source); }
    // Pixels of the widget per pixel of the image (a window drawn smaller to
    // fit the screen draws its pictures smaller too).
    void setImageScale(double scale);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_fill;
    ImageSource m_source;
    double m_imageScale = 1.0;
};

// The focus frame of a label, drawn around it on its parent: inside, it
// would strike through the text, which fills the label.
class FocusRing : public QWidget {
public:
    static constexpr int kMargin = 4;
    explicit FocusRing(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

// A label of a window (a type of its own, so that accessibility knows it).
class LabelWidget : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void placeRing();
    QPointer<FocusRing> m_ring;
};

// The window's own place in the tab order where a click on its background
// acts (keyboard mode only): under every control, and clicks go through it.
class BackgroundFocusWidget : public QWidget {
public:
    explicit BackgroundFocusWidget(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

// An option button used as a push-button: it looks pressed while the form
// says it is selected, and never toggles by itself.
class OptionPushButton : public QPushButton {
public:
    explicit OptionPushButton(QWidget* parent);

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent* event) override;
};

// A command button of a window (a type of its own, so that accessibility
// knows it from a message box's buttons).
class CommandPushButton : public QPushButton {
public:
    using QPushButton::QPushButton;
};

}  // namespace ui

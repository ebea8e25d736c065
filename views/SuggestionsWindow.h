#pragma once

#include <QPointer>
#include <QWidget>

class QScrollArea;

// The suggestions popup's window: borderless, cut to the rounded shape of its content, never
// activated (the field it hangs under keeps the keyboard), and placed exactly where its owner puts
// it. It belongs to the window of its field, stacked above that window only. Content taller than
// the window scrolls. A left-button release inside it that no control took is reported as mouseUp;
// pointer moves while a button is held are reported as drags.
class SuggestionsWindow : public QWidget {
    Q_OBJECT
public:
    // The flags and backing asked for are ignored: the popup is always borderless.
    explicit SuggestionsWindow(const QRect& contentRect);

    QWidget* contentView() const { return m_contentView; }
    // Takes the view; it is as wide as the window (less the scroll bar while there is one) and as
    // tall as its rows.
    void setContentView(QWidget* view);

    // Moves and sizes the window (also while hidden); the content view keeps its own size.
    void setFrame(const QRect& frame);

    // The area the content view scrolls in, and the width a scroll bar takes from the content.
    QScrollArea* scrollView() const { return m_scrollView; }
    int scrollBarWidth() const;
    // Scrolls as little as needed for the view (a descendant of the content view) to show whole.
    void scrollToVisible(QWidget* view);

    // The window's shape: its rectangle with the corners cut by the given radius, holding only the
    // pixels a rounded rectangle of that radius covers fully, so that nothing see-through shows
    // (black, without a compositor) inside the shape.
    static QRegion roundedShape(QSize size, int radius);

    // The accessibility element the window reports as its parent (the field it belongs to).
    QObject* parentElement() const { return m_parentElement; }
    void setParentElement(QObject* element) { m_parentElement = element; }

    // The controller that owns the window.
    QObject* windowController() const { return m_windowController; }
    void setWindowController(QObject* controller) { m_windowController = controller; }

signals:
    void mouseUp();
    void mouseDragged(const QPoint& globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateShape();

    QScrollArea* m_scrollView = nullptr;
    QPointer<QWidget> m_contentView;
    QPointer<QObject> m_parentElement;
    QPointer<QObject> m_windowController;
    QSize m_shapeSize;
    int m_shapeRadius = -1;
};

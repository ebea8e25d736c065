#pragma once

#include <QPointer>
#include <QWidget>

// The suggestions popup's window: borderless, see-through around its rounded content, never
// activated (the field it hangs under keeps the keyboard), and placed exactly where its owner puts
// it. A mouse release inside it that no control took is reported as mouseUp.
class SuggestionsWindow : public QWidget {
    Q_OBJECT
public:
    // The flags and backing asked for are ignored: the popup is always borderless.
    explicit SuggestionsWindow(const QRect& contentRect);

    QWidget* contentView() const { return m_contentView; }
    // Takes the view; it always fills the window.
    void setContentView(QWidget* view);

    // Moves and sizes the window and its content view together (also while hidden).
    void setFrame(const QRect& frame);

    // The accessibility element the window reports as its parent (the field it belongs to).
    QObject* parentElement() const { return m_parentElement; }
    void setParentElement(QObject* element) { m_parentElement = element; }

    // The controller that owns the window.
    QObject* windowController() const { return m_windowController; }
    void setWindowController(QObject* controller) { m_windowController = controller; }

signals:
    void mouseUp();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<QWidget> m_contentView;
    QPointer<QObject> m_parentElement;
    QPointer<QObject> m_windowController;
};

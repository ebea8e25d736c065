#pragma once

#include <QWidget>

// A frameless window that lives at the level of the desktop: on X11 it is a desktop-type window
// shown on every workspace and left out of task bars and pagers. Within that level it is ordered
// in front of or behind the other desktop windows (the file manager's icons), or taken off screen.
// A click on it (press and release inside) emits clicked().
class DesktopWindow : public QWidget {
    Q_OBJECT
public:
    enum class Order { none, front, back, out };

    // Covers `screenFrame` (Qt global coordinates) exactly.
    explicit DesktopWindow(const QRect& screenFrame, QWidget* parent = nullptr);

    QRect screenFrame() const { return m_screenFrame; }
    // Puts the window at the desktop level (nothing further to do once it is there).
    void setDesktopLevel();
    bool isAtDesktopLevel() const { return m_desktopLevel; }

    void orderFront();
    void orderBack();
    void orderOut();
    // The last ordering asked for.
    Order lastOrder() const { return m_lastOrder; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showAtLevel();
    void applyX11Properties();
    void announceX11State();

    QRect m_screenFrame;
    bool m_desktopLevel = false;
    bool m_pressed = false;
    Order m_lastOrder = Order::none;
};

#include "SuggestionsWindow.h"

#include "RoundedCornersView.h"

#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// The popup belongs, for assistive technologies, to the field it hangs under.
class SuggestionsWindowAccessible : public QAccessibleWidget {
public:
    explicit SuggestionsWindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}
    QAccessibleInterface* parent() const override {
        QObject* element = static_cast<SuggestionsWindow*>(widget())->parentElement();
        return element ? QAccessible::queryAccessibleInterface(element) : nullptr;
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("SuggestionsWindow") && object && object->isWidgetType())
        return new SuggestionsWindowAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// The scroll bar of a long list: the standard one's hit areas, drawn as a thin rounded handle on
// the popup's background colour. The standard drawing costs more than the rows themselves, and the
// popup is redrawn on every keystroke.
class PopupScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent*) override {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle =
            style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        if (handle.isEmpty())
            return;
        QColor colour = palette().color(QPalette::WindowText);
        colour.setAlpha(isSliderDown() ? 150 : 90);
        const qreal thickness = 6;
        const QRectF bar(handle.center().x() - thickness / 2 + 0.5, handle.top() + 2, thickness,
                         std::max(thickness, handle.height() - 4.0));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRoundedRect(bar, thickness / 2, thickness / 2);
    }
};

// A tool window stacked over its field's window (its owner makes it transient for that window), so
// it stays above that window without covering other applications, and the window manager leaves
// it where it is put. It never takes the focus, so typing goes on in the field while it is open.
// The offscreen platform (tests, pictures) activates every window it shows except tool tips,
// whatever the hints say; there the popup is a tool tip so that the field keeps the keyboard.
Qt::WindowFlags popupFlags() {
    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    return (offscreen ? Qt::ToolTip : Qt::Tool) | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
}

} // namespace

SuggestionsWindow::SuggestionsWindow(const QRect& contentRect) : QWidget(nullptr, popupFlags()) {
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    (void)installed;
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);

    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setFocusPolicy(Qt::NoFocus);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollView->setVerticalScrollBar(new PopupScrollBar(Qt::Vertical));
    m_scrollView->verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    // The rounded content paints the background; the scroll area adds none.
    m_scrollView->viewport()->setAutoFillBackground(false);
    m_scrollView->setAutoFillBackground(false);
    setGeometry(contentRect);
    m_scrollView->setGeometry(rect());
}

void SuggestionsWindow::setContentView(QWidget* view) {
    if (m_contentView == view)
        return;
    if (m_contentView && m_scrollView->widget() == m_contentView)
        delete m_scrollView->takeWidget();
    m_contentView = view;
    if (view) {
        view->setGeometry(0, 0, width(), height());
        m_scrollView->setWidget(view);
        // The scroll area fills its widget's background; the rounded view paints its own.
        view->setAutoFillBackground(false);
        view->show();
    }
    updateShape();
}

void SuggestionsWindow::setFrame(const QRect& frame) {
    setGeometry(frame);
    m_scrollView->setGeometry(0, 0, frame.width(), frame.height());
}

int SuggestionsWindow::scrollBarWidth() const {
    return m_scrollView->verticalScrollBar()->sizeHint().width();
}

void SuggestionsWindow::scrollToVisible(QWidget* view) {
    if (view && m_contentView && m_contentView->isAncestorOf(view))
        m_scrollView->ensureWidgetVisible(view, 0, 0);
}

QRegion SuggestionsWindow::roundedShape(QSize size, int radius) {
    const int w = size.width();
    const int h = size.height();
    if (radius <= 0 || w < 2 * radius || h < 2 * radius)
        return QRegion(0, 0, w, h);
    QRegion shape(0, radius, w, h - 2 * radius);
    for (int y = 0; y < radius; ++y) {
        // Pixels whose outer corner lies on or beyond the corner's circle are cut.
        const int dy = radius - y;
        int inset = 0;
        while (inset < radius && (radius - inset) * (radius - inset) + dy * dy >= radius * radius)
            ++inset;
        shape += QRect(inset, y, w - 2 * inset, 1);
        shape += QRect(inset, h - 1 - y, w - 2 * inset, 1);
    }
    return shape;
}

void SuggestionsWindow::updateShape() {
    // Without a compositor the see-through corners of a translucent window show black: the window
    // is cut to the rounded shape instead.
    const auto* rounded = qobject_cast<RoundedCornersView*>(m_contentView.data());
    const int radius = rounded ? int(rounded->rcvCornerRadius()) : 0;
    if (size() == m_shapeSize && radius == m_shapeRadius)
        return;
    m_shapeSize = size();
    m_shapeRadius = radius;
    if (radius > 0)
        setMask(roundedShape(size(), radius));
    else
        clearMask();
}

void SuggestionsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_scrollView->setGeometry(rect());
    updateShape();
}

void SuggestionsWindow::mousePressEvent(QMouseEvent* event) {
    // Taken here so that the moves and the release come back to this window.
    event->accept();
}

void SuggestionsWindow::mouseMoveEvent(QMouseEvent* event) {
    // Without pointer tracking, moves arrive only while a button is held: the rows follow the
    // pointer during the drag as they do while it hovers.
    event->accept();
    if (event->buttons() != Qt::NoButton)
        emit mouseDragged(event->globalPosition().toPoint());
}

void SuggestionsWindow::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // The other buttons have no meaning here.
    if (event->button() == Qt::LeftButton)
        emit mouseUp();
}

#include "moc_SuggestionsWindow.cpp"

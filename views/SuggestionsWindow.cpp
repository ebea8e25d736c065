#include "SuggestionsWindow.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

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

} // namespace

SuggestionsWindow::SuggestionsWindow(const QRect& contentRect)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    (void)installed;
    // A tool-tip window is placed where it is asked to be and never takes the focus, so typing
    // goes on in the field while the popup is open.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(contentRect);
}

void SuggestionsWindow::setContentView(QWidget* view) {
    if (m_contentView == view)
        return;
    delete m_contentView;
    m_contentView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(0, 0, width(), height());
        view->show();
    }
}

void SuggestionsWindow::setFrame(const QRect& frame) {
    setGeometry(frame);
    if (m_contentView)
        m_contentView->setGeometry(0, 0, frame.width(), frame.height());
}

void SuggestionsWindow::mousePressEvent(QMouseEvent* event) {
    // Taken here so that the release comes back to this window.
    event->accept();
}

void SuggestionsWindow::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit mouseUp();
}

#include "moc_SuggestionsWindow.cpp"

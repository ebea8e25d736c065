#include "RoundedCornersView.h"

#include "HighlightingView.h"
#include "SuggestionsWindow.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QPainterPath>

namespace {

// Assistive technologies see the popup's background as a list of its rows.
class RoundedCornersViewAccessible : public QAccessibleWidget {
public:
    explicit RoundedCornersViewAccessible(QWidget* view) : QAccessibleWidget(view, QAccessible::List) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.disabled = false;
        state.multiSelectable = false;
        return state;
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("RoundedCornersView") && object && object->isWidgetType())
        return new RoundedCornersViewAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

void installAccessibleFactory() {
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    (void)installed;
}

} // namespace

RoundedCornersView::RoundedCornersView(const QRect& frame, QWidget* parent) : QWidget(parent) {
    installAccessibleFactory();
    setGeometry(frame);
    m_cornerRadius = defaultCornerRadius;
}

RoundedCornersView::RoundedCornersView(QWidget* parent) : QWidget(parent) {
    installAccessibleFactory();
}

QList<QWidget*> RoundedCornersView::accessibilitySelectedChildren() const {
    QList<QWidget*> selected;
    for (auto* row : findChildren<HighlightingView*>(QString(), Qt::FindDirectChildrenOnly))
        if (row->isVisible() && row->isHighlighted())
            selected.append(row);
    return selected;
}

void RoundedCornersView::setAccessibilitySelectedChildren(const QList<QWidget*>& children) {
    auto* popupWindow = qobject_cast<SuggestionsWindow*>(window());
    QObject* controller = popupWindow ? popupWindow->windowController() : nullptr;
    if (!controller)
        return;
    QWidget* chosen = nullptr;
    for (QWidget* child : children)
        if (child && child->parentWidget() == this && qobject_cast<HighlightingView*>(child)) {
            chosen = child;
            break;
        }
    controller->setProperty("selectedView", QVariant::fromValue(chosen));
}

void RoundedCornersView::setRcvCornerRadius(double radius) {
    m_cornerRadius = radius;
    update();
}

void RoundedCornersView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    painter.fillPath(path, palette().color(QPalette::Window));
}

#include "moc_RoundedCornersView.cpp"

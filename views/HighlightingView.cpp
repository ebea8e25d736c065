#include "HighlightingView.h"

#include "RoundedCornersView.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

namespace {

// A row is a group holding its text; the highlighted row is the selected one, and selecting a row
// from an assistive technology highlights it.
class HighlightingViewAccessible : public QAccessibleWidget {
public:
    explicit HighlightingViewAccessible(QWidget* view) : QAccessibleWidget(view, QAccessible::Grouping) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = static_cast<HighlightingView*>(widget())->isHighlighted();
        return state;
    }
    QStringList actionNames() const override { return {QAccessibleActionInterface::setFocusAction()}; }
    void doAction(const QString& name) override {
        if (name != QAccessibleActionInterface::setFocusAction())
            return;
        if (auto* list = qobject_cast<RoundedCornersView*>(widget()->parentWidget()))
            list->setAccessibilitySelectedChildren({widget()});
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("HighlightingView") && object && object->isWidgetType())
        return new HighlightingViewAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

HighlightingView::HighlightingView(QWidget* parent) : QWidget(parent) {
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    (void)installed;
}

QColor HighlightingView::highlightColor() {
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

void HighlightingView::paintEvent(QPaintEvent* event) {
    // The clear colour drawn over what lies beneath changes nothing, so an unhighlighted row
    // paints nothing at all.
    if (!m_highlighted)
        return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(event->rect(), highlightColor());
}

#include "moc_HighlightingView.cpp"

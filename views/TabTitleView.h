#pragma once

#include <QColor>
#include <QWidget>

// A tab title of the library page: its children (the tab's label) draw as usual, and while
// highlight is on a 3-pixel bar in the accent colour runs along its bottom edge.
class TabTitleView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool highlight READ highlight WRITE setHighlight)

public:
    static constexpr int barHeight = 3;

    explicit TabTitleView(QWidget* parent = nullptr);

    bool highlight() const { return m_highlight; }
    // Every assignment repaints the whole view.
    void setHighlight(bool highlight);

    // The bar's colour: the palette's accent (selection) colour.
    QColor barColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_highlight = false;
};

#pragma once

#include <QWidget>

// The background of one suggestion row: the selection colour while the row is highlighted,
// nothing (the popup's background shows through) otherwise.
class HighlightingView : public QWidget {
    Q_OBJECT
public:
    explicit HighlightingView(QWidget* parent = nullptr);

    bool isHighlighted() const { return m_highlighted; }
    // Only changes the flag; whoever highlights the row also restyles its texts and redraws it.
    void setHighlighted(bool highlighted) { m_highlighted = highlighted; }

    static QColor highlightColor();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_highlighted = false;
};

#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

// The view that holds the library grid: it draws a picture centred behind the grid (the empty,
// loading and error states) and can hold one overlay, centred across and a given distance above
// its bottom edge (the online list's state view). The grid fills it.
class ListContainerView : public QWidget {
    Q_OBJECT

public:
    explicit ListContainerView(QWidget* parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage& image);

    // Makes `overlay` a child shown in front of the grid, centred across, its bottom edge
    // `bottomMargin` above the container's bottom.
    void showOverlay(QWidget* overlay, int bottomMargin);
    QWidget* overlay() const { return m_overlay; }
    // Takes the overlay out of the container (it is not deleted).
    void removeOverlay(QWidget* overlay);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeChildren();

    QImage m_image;
    QPointer<QWidget> m_overlay;
    int m_bottomMargin = 0;
};

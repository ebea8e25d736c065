#pragma once

#include "CollectionView.h"

// The library grid: also reports the end of scrolling after each plain mouse-wheel step (an event
// with no scroll phase), which is what makes the online list load its next page.
class ZFCollectionView : public CollectionView {
    Q_OBJECT

public:
    explicit ZFCollectionView(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

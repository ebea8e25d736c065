#include "ZFCollectionView.h"

#include <QWheelEvent>

ZFCollectionView::ZFCollectionView(QWidget* parent) : CollectionView(parent) {}

void ZFCollectionView::wheelEvent(QWheelEvent* event) {
    CollectionView::wheelEvent(event);
    // A plain mouse wheel sends each notch without a phase: every notch ends a scroll. Trackpad
    // gestures and their momentum carry phases and end elsewhere.
    if (event->phase() == Qt::NoScrollPhase && delegate())
        delegate()->collectionViewDidEndScrolling(this, true);
}

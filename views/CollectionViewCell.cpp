#include "CollectionViewCell.h"

CollectionViewCell::CollectionViewCell(QWidget* parent) : CollectionReusableView(parent) {}

void CollectionViewCell::setSelected(bool selected, bool) {
    m_selected = selected;
}

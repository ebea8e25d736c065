#pragma once

#include "CollectionReusableView.h"

// One item of a collection view. Subclasses draw their selection by overriding setSelected and
// setting their background colour.
class CollectionViewCell : public CollectionReusableView {
    Q_OBJECT

public:
    explicit CollectionViewCell(QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected, bool animated);

private:
    bool m_selected = false;
};

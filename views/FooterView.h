#pragma once

#include "CollectionReusableView.h"

class QLabel;

// The footer of the grid's single section: one centred grey line of text that fills the footer.
// The online list sets its paging text; an empty text leaves the footer blank but laid out.
class FooterView : public CollectionReusableView {
    Q_OBJECT

public:
    static inline const QString reuseIdentifier = QStringLiteral("FooterView");

    explicit FooterView(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_titleLabel; }

protected:
    virtual void setUpTitleLabel();

private:
    QLabel* m_titleLabel = nullptr;
};

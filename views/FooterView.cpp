#include "FooterView.h"

#include "PlainText.h"

#include <QHBoxLayout>
#include <QLabel>

FooterView::FooterView(QWidget* parent) : CollectionReusableView(parent), m_titleLabel(new QLabel) {
    setUpTitleLabel();
}

void FooterView::setUpTitleLabel() {
    PlainText::keep(m_titleLabel);
    m_titleLabel->setEnabled(false);
    m_titleLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    m_titleLabel->setAutoFillBackground(false);
    m_titleLabel->setFrameShape(QFrame::NoFrame);
    QPalette palette = m_titleLabel->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText, QColor(Qt::gray));
    m_titleLabel->setPalette(palette);
    m_titleLabel->setForegroundRole(QPalette::WindowText);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    // The label fills the footer both ways, so its text sits in the middle.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_titleLabel);
}

#include "SuggestionHeaderViewController.h"

#include "ButtonWithLinkTitle.h"
#include "PlainText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

SuggestionHeaderViewController::SuggestionHeaderViewController(QObject* parent) : QObject(parent) {}

SuggestionHeaderViewController::~SuggestionHeaderViewController() {
    if (m_view && !m_view->parent())
        delete m_view;
}

QWidget* SuggestionHeaderViewController::view() {
    if (!m_view)
        loadView();
    return m_view;
}

QLabel* SuggestionHeaderViewController::titleLabel() {
    view();
    return m_titleLabel;
}

ButtonWithLinkTitle* SuggestionHeaderViewController::rightButton() {
    view();
    return m_rightButton;
}

void SuggestionHeaderViewController::loadView() {
    m_view = new QWidget;
    m_view->resize(200, rowHeight);
    auto* layout = new QHBoxLayout(m_view);
    layout->setContentsMargins(10, 0, 10, 0);
    m_titleLabel = new QLabel(m_view);
    PlainText::keep(m_titleLabel);
    QFont titleFont = m_titleLabel->font();
    titleFont.setBold(true);
    m_titleLabel->setFont(titleFont);
    m_titleLabel->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_titleLabel, 1);
    m_rightButton = new ButtonWithLinkTitle(m_view);
    layout->addWidget(m_rightButton);
    QObject::connect(m_rightButton, &QPushButton::clicked, this, [this] { rightButtonClick(); });
}

void SuggestionHeaderViewController::setRepresentedObject(const SuggestionRow& row) {
    m_row = row;
    titleLabel()->setText(row.label.value_or(QString()));
}

void SuggestionHeaderViewController::rightButtonClick() {
    if (actionClosure)
        actionClosure();
}

#include "moc_SuggestionHeaderViewController.cpp"

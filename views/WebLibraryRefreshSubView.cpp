#include "WebLibraryRefreshSubView.h"

#include "AttributedTitle.h"
#include "ButtonWithLinkTitle.h"
#include "PlainText.h"
#include "SystemFont.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

WebLibraryRefreshSubView::WebLibraryRefreshSubView(QWidget* parent) : QWidget(parent) {
    m_titleLabel = new QLabel(this);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setFont(SystemFont::sized(m_titleLabel->font(), 16));

    m_leftSubTitle = new QLabel(this);
    m_leftSubTitle->setForegroundRole(QPalette::PlaceholderText);
    m_refreshButton = new ButtonWithLinkTitle(this);
    m_refreshButton->setAttributedTitle(
        AttributedTitle::linkStyleTitle(QCoreApplication::translate("Localizable", "refresh")));
    m_rightSubTitle = new QLabel(this);
    m_rightSubTitle->setForegroundRole(QPalette::PlaceholderText);
    // The subtitles read as one line with the link, in the link's size.
    for (QLabel* subtitle : {m_leftSubTitle, m_rightSubTitle})
        subtitle->setFont(SystemFont::sized(subtitle->font(), AttributedTitle::fontSize));
    for (QLabel* label : {m_titleLabel, m_leftSubTitle, m_rightSubTitle})
        PlainText::keep(label);
    setHint(Hint::checkNetwork);
    connect(m_refreshButton, &QPushButton::clicked, this, [this] { clickRefreshButton(); });

    auto* subtitles = new QHBoxLayout;
    subtitles->setSpacing(4);
    subtitles->addStretch(1);
    subtitles->addWidget(m_leftSubTitle);
    subtitles->addWidget(m_refreshButton);
    subtitles->addWidget(m_rightSubTitle);
    subtitles->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    column->addWidget(m_titleLabel);
    column->addLayout(subtitles);

    setShowRefreshButton(false);
}

void WebLibraryRefreshSubView::setTitle(const QString& title) {
    m_title = title;
    m_titleLabel->setText(title);
}

void WebLibraryRefreshSubView::setHint(Hint hint) {
    m_hint = hint;
    if (hint == Hint::checkNetwork) {
        m_leftSubTitle->setText(QCoreApplication::translate("Localizable", "Please check your network and"));
        m_rightSubTitle->setText(QCoreApplication::translate("Localizable", "the list."));
    } else {
        m_leftSubTitle->setText(QCoreApplication::translate("Localizable", "Nothing to show here. You can"));
        m_rightSubTitle->setText(QCoreApplication::translate("Localizable", "the list."));
    }
}

void WebLibraryRefreshSubView::setShowRefreshButton(bool show) {
    m_showRefreshButton = show;
    m_leftSubTitle->setVisible(show);
    m_rightSubTitle->setVisible(show);
    m_refreshButton->setVisible(show);
}

void WebLibraryRefreshSubView::clickRefreshButton() {
    if (m_refreshClosure) {
        const auto closure = m_refreshClosure;
        closure();
    }
}

#include "WebLibraryRefreshSubView.h"

#include "ButtonWithPointCursor.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

WebLibraryRefreshSubView::WebLibraryRefreshSubView(QWidget* parent) : QWidget(parent) {
    m_titleLabel = new QLabel(this);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    QFont titleFont = m_titleLabel->font();
    titleFont.setPointSizeF(16);
    m_titleLabel->setFont(titleFont);

    m_leftSubTitle =
        new QLabel(QCoreApplication::translate("Localizable", "Please check your network and"), this);
    m_leftSubTitle->setForegroundRole(QPalette::PlaceholderText);
    m_refreshButton = new ButtonWithPointCursor(this);
    m_refreshButton->setText(QCoreApplication::translate("Localizable", "refresh"));
    m_refreshButton->setFlat(true);
    m_refreshButton->setStyleSheet(QStringLiteral("QPushButton { border: none; color: rgb(0, 122, 255); "
                                                  "padding: 0px; }"));
    m_rightSubTitle = new QLabel(QCoreApplication::translate("Localizable", "the list."), this);
    m_rightSubTitle->setForegroundRole(QPalette::PlaceholderText);
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

#include "AboutViewController.h"

#include "AppImage.h"
#include "AppInfo.h"
#include "AttributedTitle.h"
#include "ButtonWithLinkTitle.h"
#include "FeedbackWindowController.h"
#include "PlainText.h"
#include "SystemFont.h"
#include "UrlOpener.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString text(const char* key, const char* comment = nullptr) {
    return QCoreApplication::translate("Localizable", key, comment);
}
} // namespace

QString AboutViewController::version() {
    return text("Version: %@", "version").replace(QLatin1String("%@"), AppInfo::displayVersion());
}

AboutViewController::AboutViewController(UrlOpener& urlOpener, WebModel& webModel, QWidget* parent)
    : QWidget(parent), m_urlOpener(urlOpener), m_webModel(webModel) {
    auto* logo = new QLabel;
    PlainText::keep(logo);
    logo->setPixmap(
        QPixmap::fromImage(AppImage::named(QStringLiteral("leftPanel_icon_corvex"), QSize(96, 96))));
    logo->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel;
    PlainText::setText(name, QStringLiteral("Zerafin Video Desktop"));
    QFont nameFont = SystemFont::sized(name->font(), 22);
    nameFont.setBold(true);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignCenter);

    m_versionLabel = new QLabel;
    PlainText::setText(m_versionLabel, version());
    m_versionLabel->setAlignment(Qt::AlignCenter);

    m_websiteButton = new ButtonWithLinkTitle;
    m_websiteButton->setAttributedTitle(
        AttributedTitle::underlinedLinkTitle(AppInfo::webSiteURL().toString()));
    m_bbsButton = new ButtonWithLinkTitle;
    m_bbsButton->setAttributedTitle(AttributedTitle::underlinedLinkTitle(AppInfo::forumURL().toString()));
    m_termsAndConditions = new ButtonWithLinkTitle;
    m_termsAndConditions->setAttributedTitle(
        AttributedTitle::underlinedLinkTitle(text("Terms and Conditions", "Terms and Conditions")));
    m_groupButton = new QPushButton(text("Join User Group"));
    m_feedbackButton = new QPushButton(text("Feedback"));

    connect(m_websiteButton, &QAbstractButton::clicked, this,
            [this] { websiteButtonAction(m_websiteButton); });
    connect(m_bbsButton, &QAbstractButton::clicked, this, [this] { websiteButtonAction(m_bbsButton); });
    connect(m_termsAndConditions, &QAbstractButton::clicked, this,
            &AboutViewController::showTermsAndConditions);
    connect(m_groupButton, &QPushButton::clicked, this, &AboutViewController::joinUserGroup);
    connect(m_feedbackButton, &QPushButton::clicked, this, &AboutViewController::feedbackButtonAction);

    auto centred = [](QWidget* widget) {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(widget);
        row->addStretch(1);
        return row;
    };
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_groupButton);
    buttons->addSpacing(12);
    buttons->addWidget(m_feedbackButton);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(2);
    layout->addWidget(logo);
    layout->addSpacing(8);
    layout->addWidget(name);
    layout->addWidget(m_versionLabel);
    layout->addSpacing(16);
    layout->addLayout(centred(m_websiteButton));
    layout->addLayout(centred(m_bbsButton));
    layout->addLayout(centred(m_termsAndConditions));
    layout->addSpacing(16);
    layout->addLayout(buttons);
    layout->addStretch(3);
}

AboutViewController::~AboutViewController() = default;

void AboutViewController::websiteButtonAction(QAbstractButton* sender) {
    const QUrl shown(sender ? sender->text() : QString(), QUrl::StrictMode);
    m_urlOpener.openUrl(shown.isValid() && !shown.scheme().isEmpty() ? shown : AppInfo::webSiteURL());
}

void AboutViewController::showTermsAndConditions() {
    m_urlOpener.openUrl(AppInfo::termsURL());
}

void AboutViewController::joinUserGroup() {
    m_urlOpener.openUrl(AppInfo::groupURL());
}

void AboutViewController::feedbackButtonAction() {
    if (!m_feedback)
        m_feedback = std::make_unique<FeedbackWindowController>(m_webModel);
    m_feedback->show();
    m_feedback->raise();
    m_feedback->activateWindow();
    m_feedback->resetForm();
}

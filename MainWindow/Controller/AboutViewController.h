#pragma once

#include <QUrl>
#include <QWidget>
#include <memory>

class ButtonWithLinkTitle;
class FeedbackWindowController;
class QAbstractButton;
class QLabel;
class QPushButton;
class UrlOpener;
class WebModel;

// The main window's second page: the version, links to the maker's web site, forum, terms and
// user group, and the button that opens the feedback form.
class AboutViewController : public QWidget {
    Q_OBJECT
public:
    AboutViewController(UrlOpener& urlOpener, WebModel& webModel, QWidget* parent = nullptr);
    ~AboutViewController() override;

    ButtonWithLinkTitle* websiteButton() const { return m_websiteButton; }
    QLabel* versionLabel() const { return m_versionLabel; }
    ButtonWithLinkTitle* termsAndConditions() const { return m_termsAndConditions; }
    ButtonWithLinkTitle* bbsButton() const { return m_bbsButton; }
    QPushButton* groupButton() const { return m_groupButton; }
    QPushButton* feedbackButton() const { return m_feedbackButton; }
    // Made on the first click of the feedback button, then reused.
    FeedbackWindowController* feedback() const { return m_feedback.get(); }

    // "Version: 1.2.0(16)".
    static QString version();

    // The web-site and forum buttons: opens the address the button shows, or the web site when
    // its title is no address.
    void websiteButtonAction(QAbstractButton* sender);
    void showTermsAndConditions();
    void joinUserGroup();
    // Shows the feedback form (made once), in front, emptied.
    void feedbackButtonAction();

private:
    UrlOpener& m_urlOpener;
    WebModel& m_webModel;
    ButtonWithLinkTitle* m_websiteButton = nullptr;
    QLabel* m_versionLabel = nullptr;
    ButtonWithLinkTitle* m_termsAndConditions = nullptr;
    ButtonWithLinkTitle* m_bbsButton = nullptr;
    QPushButton* m_groupButton = nullptr;
    QPushButton* m_feedbackButton = nullptr;
    std::unique_ptr<FeedbackWindowController> m_feedback;
};

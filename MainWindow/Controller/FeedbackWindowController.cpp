#include "FeedbackWindowController.h"

#include "CloseOnlyWindow.h"
#include "PlainText.h"
#include "WebModel.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QString text(const char* key) {
    return QCoreApplication::translate("Localizable", key);
}
} // namespace

FeedbackWindowController::FeedbackWindowController(WebModel& webModel, QWidget* parent)
    : QDialog(parent, CloseOnlyWindow::flags), m_webModel(webModel) {
    setWindowTitle(text("Feedback"));
    setModal(false);
    m_suggestionButton = new QRadioButton(text("Suggestion"));
    m_bugButton = new QRadioButton(text("Bug"));
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(m_suggestionButton, suggestionTag);
    kinds->addButton(m_bugButton, bugTag);
    m_suggestionButton->setChecked(true);
    connect(kinds, &QButtonGroup::idClicked, this, &FeedbackWindowController::typeButtonAction);

    m_contentTextView = new QPlainTextEdit;
    m_contentTextView->setObjectName(QStringLiteral("contentTextView"));
    m_contactTextField = new QLineEdit;
    m_contactTextField->setPlaceholderText(text("E-mail or other contact (optional)"));
    m_submitButton = new QPushButton(text("Submit"));
    connect(m_submitButton, &QPushButton::clicked, this, &FeedbackWindowController::submit);

    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(m_suggestionButton);
    kindRow->addWidget(m_bugButton);
    kindRow->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_submitButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addLayout(kindRow);
    layout->addWidget(m_contentTextView, 1);
    auto* contact = new QLabel;
    PlainText::setText(contact, text("Contact"));
    layout->addWidget(contact);
    layout->addWidget(m_contactTextField);
    layout->addLayout(buttonRow);
    CloseOnlyWindow::keepSize(this, QSize(440, 340));
    setContentBorder(0);
}

void FeedbackWindowController::typeButtonAction(int tag) {
    m_type = tag;
}

void FeedbackWindowController::resetForm() {
    m_contentTextView->clear();
    m_contactTextField->clear();
    setContentBorder(0);
    m_suggestionButton->setChecked(true);
    // The kind sent is always the kind shown.
    m_type = suggestionTag;
}

void FeedbackWindowController::submit() {
    const QString content = m_contentTextView->toPlainText();
    if (content.isEmpty()) {
        setContentBorder(1.0);
        return;
    }
    m_webModel.sendFeedback(m_type, content, m_contactTextField->text());
    close();
}

void FeedbackWindowController::setContentBorder(qreal width) {
    m_borderWidth = width;
    m_contentTextView->setStyleSheet(width > 0 ? QStringLiteral("#contentTextView { border: 1px solid red; }")
                                               : QString());
}

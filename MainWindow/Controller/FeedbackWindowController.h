#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class WebModel;

// The feedback form: a kind (suggestion or bug), a text and an optional contact, sent to the server
// without a word back. An empty text is outlined in red and nothing is sent.
class FeedbackWindowController : public QDialog {
    Q_OBJECT
public:
    static constexpr int suggestionTag = 2;
    static constexpr int bugTag = 1;

    explicit FeedbackWindowController(WebModel& webModel, QWidget* parent = nullptr);

    QLineEdit* contactTextField() const { return m_contactTextField; }
    QPlainTextEdit* contentTextView() const { return m_contentTextView; }
    QRadioButton* suggestionButton() const { return m_suggestionButton; }
    QRadioButton* bugButton() const { return m_bugButton; }
    QPushButton* submitButton() const { return m_submitButton; }

    // The kind sent with the feedback: the tag of the kind button chosen last.
    int type() const { return m_type; }
    void typeButtonAction(int tag);
    // An empty form with the suggestion kind chosen (and sent) and no red outline.
    void resetForm();
    // Sends and closes, or outlines an empty text in red and stays open.
    void submit();

    // The text view's outline as shown now: 0 (none) or 1 (red).
    qreal contentBorderWidth() const { return m_borderWidth; }

private:
    void setContentBorder(qreal width);

    WebModel& m_webModel;
    QLineEdit* m_contactTextField = nullptr;
    QPlainTextEdit* m_contentTextView = nullptr;
    QRadioButton* m_suggestionButton = nullptr;
    QRadioButton* m_bugButton = nullptr;
    QPushButton* m_submitButton = nullptr;
    int m_type = suggestionTag;
    qreal m_borderWidth = 0;
};

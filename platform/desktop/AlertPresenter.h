#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Shows alerts: plain messages and confirmations.
class AlertPresenter {
public:
    enum class Style { informational, warning };

    virtual ~AlertPresenter() = default;
    // A message with one default button, modal for the whole application: returns once the user
    // has dismissed it.
    virtual void showMessage(const QString& message) = 0;
    // A question attached to `window` (modal for that window only) with `buttons` from left to
    // right, the first being the default one that Return and Escape answer; returns at once.
    // `answered` runs on the main thread with the index of the button chosen, or -1 when the alert
    // was closed otherwise.
    virtual void confirm(QWidget* window, const QString& message, const QStringList& buttons, Style style,
                         std::function<void(int button)> answered) = 0;
};

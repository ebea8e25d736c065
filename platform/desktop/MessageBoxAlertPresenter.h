#pragma once

#include "AlertPresenter.h"

// Alerts as the toolkit's message boxes.
class MessageBoxAlertPresenter : public AlertPresenter {
public:
    void showMessage(const QString& message) override;
    void confirm(QWidget* window, const QString& message, const QStringList& buttons, Style style,
                 std::function<void(int button)> answered) override;
};

#include "MessageBoxAlertPresenter.h"

#include <QMessageBox>
#include <QPushButton>

void MessageBoxAlertPresenter::showMessage(const QString& message) {
    QMessageBox box;
    // Messages may carry names and texts from outside; they show as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(message);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void MessageBoxAlertPresenter::confirm(QWidget* window, const QString& message, const QStringList& buttons,
                                       Style style, std::function<void(int button)> answered) {
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(style == Style::warning ? QMessageBox::Warning : QMessageBox::Information);
    box->setTextFormat(Qt::PlainText);
    box->setText(message);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    QList<QAbstractButton*> made;
    for (int i = 0; i < buttons.size(); ++i) {
        // The first button is the safe answer: Return and Escape both give it. The others take
        // Return only when clicked into explicitly, never by having the focus.
        const auto role = i == 0 ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        QPushButton* button = box->addButton(buttons.at(i), role);
        made << button;
        if (i == 0) {
            box->setDefaultButton(button);
            box->setEscapeButton(button);
        } else {
            button->setAutoDefault(false);
        }
    }
    QObject::connect(box, &QMessageBox::finished, box, [box, made, answered = std::move(answered)](int) {
        if (answered)
            answered(int(made.indexOf(box->clickedButton())));
    });
    box->open();
}

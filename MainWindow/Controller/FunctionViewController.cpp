#include "FunctionViewController.h"

#include "PlainText.h"
#include "Preferences.h"
#include "SwitchButton.h"

#include <QCoreApplication>
#include <QLabel>

FunctionViewController::FunctionViewController(Preferences& preferences, QWidget* parent)
    : QWidget(parent), m_preferences(preferences) {
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    resize(320, 120);

    m_videoLabel = new QLabel(this);
    PlainText::setText(m_videoLabel, QCoreApplication::translate("Localizable", "Video Wallpaper"));
    m_videoLabel->setGeometry(20, 30, 120, 20);
    m_lockLabel = new QLabel(this);
    PlainText::setText(m_lockLabel, QCoreApplication::translate("Localizable", "Lock Screen"));
    m_lockLabel->setGeometry(20, 70, 120, 20);

    // The switch sits 100 points right of its label, centred on it.
    const int x = m_videoLabel->geometry().right() + 1 + 100;
    auto centredOn = [](QLabel* label) { return label->y() + (label->height() - 18) / 2; };
    m_videoButton = new SwitchButton(
        QRect(x, centredOn(m_videoLabel), 36, 18), [this](bool open) { m_preferences.setIsOpenPlayer(open); },
        this);
    m_lockButton = new SwitchButton(
        QRect(x, centredOn(m_lockLabel), 36, 18), [](bool) {}, this);
    m_observeDispose =
        bind(&m_preferences, &Preferences::isOpenPlayerChanged, m_videoButton, &SwitchButton::setIsOpen);
}

void FunctionViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_videoButton->setIsOpen(m_preferences.isOpenPlayer());
}

#include "CustomAlertWindowController.h"

#include "PlainText.h"
#include "SystemFont.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

CustomAlertWindowController::CustomAlertWindowController(QObject* parent) : QObject(parent) {}

CustomAlertWindowController::~CustomAlertWindowController() = default;

void CustomAlertWindowController::loadWindow() {
    if (m_window)
        return;
    m_window = std::make_unique<QWidget>(nullptr, Qt::Dialog);
    m_window->setObjectName(QString::fromLatin1(nibName));
    m_window->setWindowTitle(QCoreApplication::applicationName());
    m_window->setMinimumWidth(360);

    auto* title = new QLabel(m_window.get());
    PlainText::keep(title);
    title->setObjectName(QStringLiteral("titleLabel"));
    QFont bold = SystemFont::sized(title->font(), SystemFont::pixelSize(title->font()) * 1.2);
    bold.setBold(true);
    title->setFont(bold);
    auto* info = new QLabel(m_window.get());
    PlainText::keep(info);
    info->setObjectName(QStringLiteral("infoLabel"));
    info->setWordWrap(true);
    auto* button =
        new QPushButton(QCoreApplication::translate("Localizable", "OK", "close the alert"), m_window.get());
    button->setObjectName(QStringLiteral("okButton"));
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, &CustomAlertWindowController::ok);

    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addWidget(title);
    layout->addWidget(info);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    layout->addLayout(row);

    m_titleLabel = title;
    m_infoLabel = info;
    windowDidLoad();
}

void CustomAlertWindowController::windowDidLoad() {
    // Only the close button stays in the title bar: no minimize, zoom or full screen.
    m_window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint);
}

QWidget* CustomAlertWindowController::window() {
    loadWindow();
    return m_window.get();
}

void CustomAlertWindowController::showWindow() {
    QWidget* alert = window();
    alert->show();
    alert->raise();
    alert->activateWindow();
}

void CustomAlertWindowController::ok() {
    if (m_window)
        m_window->close();
}

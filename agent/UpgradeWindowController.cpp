#include "UpgradeWindowController.h"

#include "AgentArtwork.h"
#include "ReleaseNotesDocument.h"
#include "UpgradeWindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
QString localized(const char* key, const char* comment) {
    return QCoreApplication::translate("Localizable", key, comment);
}
} // namespace

UpgradeWindowController::UpgradeWindowController(QObject* parent) : QObject(parent) {}

UpgradeWindowController::~UpgradeWindowController() = default;

UpgradeWindow* UpgradeWindowController::window() {
    if (!m_window)
        loadWindow();
    return m_window.get();
}

void UpgradeWindowController::loadWindow() {
    m_window = std::make_unique<UpgradeWindow>();
    m_window->setObjectName(QString::fromLatin1(nibName));
    m_window->setWindowController(this);
    m_window->setWindowTitle(QCoreApplication::applicationName());
    m_window->resize(480, 320);

    // Read-only text whose links are never followed and whose references are never loaded.
    auto* notes = new QTextEdit(m_window.get());
    notes->setObjectName(QStringLiteral("infoLabel"));
    notes->setDocument(new ReleaseNotesDocument(notes));
    notes->setReadOnly(true);
    notes->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    notes->setFrameShape(QFrame::NoFrame);
    // The backdrop shows through the text area.
    notes->viewport()->setAutoFillBackground(false);
    notes->setStyleSheet(QStringLiteral("background: transparent; color: white;"));
    QPalette light = notes->palette();
    light.setColor(QPalette::Link, QColor(0x9f, 0xd8, 0xff));
    notes->setPalette(light);
    auto* button = new ButtonWithHoverBackGround(m_window.get());
    button->setText(localized("Upgrade", "upgrade button"));
    button->setObjectName(QStringLiteral("upgradeButton"));
    button->setNormalColor(QColor(0x2f, 0x8f, 0x9d));
    button->setHoverColor(QColor(0x3c, 0xa9, 0xb8));
    button->setPressedColor(QColor(0x25, 0x72, 0x7d));
    button->setTitleColor(Qt::white);
    button->setMinimumSize(140, 32);
    connect(button, &QPushButton::clicked, m_window.get(), &UpgradeWindow::openUpdate);

    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(28, 28, 28, 20);
    layout->addWidget(notes, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    row->addStretch(1);
    layout->addLayout(row);

    m_infoLabel = notes;
    m_upgradeButton = button;
    windowDidLoad();
}

void UpgradeWindowController::windowDidLoad() {
    UpgradeWindow* panel = m_window.get();
    panel->setAutoFillBackground(false);
    panel->setBackgroundImage(AgentArtwork::image(QStringLiteral("upgrade_back_ground"), QSize(960, 640)));

    // The version line comes first, the release notes follow it in the same text area.
    const QString version = m_upgradeInfo ? m_upgradeInfo->ver : QStringLiteral("1.0");
    const QString exp = m_upgradeInfo ? m_upgradeInfo->exp : QString();
    m_infoLabel->clear();
    QTextCursor cursor(m_infoLabel->document());
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    cursor.insertText(localized("Version: %@", "version").replace(QLatin1String("%@"), version), heading);
    cursor.insertBlock();
    cursor.setCharFormat(QTextCharFormat());
    if (Qt::mightBeRichText(exp))
        cursor.insertHtml(exp);
    else
        cursor.insertText(exp);
    m_infoLabel->moveCursor(QTextCursor::Start);
}

void UpgradeWindowController::showWindow() {
    UpgradeWindow* panel = window();
    panel->show();
    panel->raise();
    panel->activateWindow();
}

void UpgradeWindowController::close() {
    if (m_window)
        m_window->close();
}

#include "ApplicationMenuBar.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace {
QString text(const char* key) {
    return QCoreApplication::translate("Localizable", key);
}

QAction* addMenuItem(QMenu* menu, const QString& title, std::function<void()> action) {
    QAction* item = menu->addAction(title);
    QObject::connect(item, &QAction::triggered, item, [action = std::move(action)] {
        if (action)
            action();
    });
    return item;
}
} // namespace

ApplicationMenuBar::ApplicationMenuBar(Actions actions, QWidget* parent) : QMenuBar(parent) {
    QMenu* application = addMenu(QStringLiteral("Zerafin Video Desktop"));
    m_preferences = addMenuItem(application, text("Preferences..."), std::move(actions.showPreferences));
    m_preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_preferences->setMenuRole(QAction::PreferencesRole);
    application->addSeparator();
    m_quit = addMenuItem(application, text("Quit Zerafin Video Desktop"), std::move(actions.quit));
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quit->setShortcutContext(Qt::ApplicationShortcut);
    m_quit->setMenuRole(QAction::QuitRole);
    QMenu* help = addMenu(text("Help"));
    m_help = addMenuItem(help, text("Zerafin Video Desktop Help"), std::move(actions.showHelp));
}

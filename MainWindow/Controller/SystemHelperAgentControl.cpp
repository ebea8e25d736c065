#include "SystemHelperAgentControl.h"

#include "ApplicationLauncher.h"
#include "LoginItem.h"
#include "SessionBusName.h"

SystemHelperAgentControl::SystemHelperAgentControl(LoginItem& loginItem, const ApplicationLauncher& launcher)
    : m_loginItem(loginItem), m_launcher(launcher) {}

void SystemHelperAgentControl::setLoginItemEnabled(const QString& identifier, bool enabled) {
    m_loginItem.setEnabled(identifier, enabled);
}

bool SystemHelperAgentControl::isLoginItemEnabled(const QString& identifier) {
    return m_loginItem.isEnabled(identifier);
}

bool SystemHelperAgentControl::isRunning(const QString& identifier) {
    return SessionBusName::isOwned(identifier);
}

void SystemHelperAgentControl::launch(const QString& identifier) {
    m_launcher.launch(identifier);
}

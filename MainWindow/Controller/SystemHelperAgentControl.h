#pragma once

#include "HelperAgentControl.h"

class ApplicationLauncher;
class LoginItem;

// The helper agent on this session: its autostart entry, its bus name, its launcher.
class SystemHelperAgentControl : public HelperAgentControl {
public:
    SystemHelperAgentControl(LoginItem& loginItem, const ApplicationLauncher& launcher);

    void setLoginItemEnabled(const QString& identifier, bool enabled) override;
    bool isLoginItemEnabled(const QString& identifier) override;
    bool isRunning(const QString& identifier) override;
    void launch(const QString& identifier) override;

private:
    LoginItem& m_loginItem;
    const ApplicationLauncher& m_launcher;
};

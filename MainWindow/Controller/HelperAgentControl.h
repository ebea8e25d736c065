#pragma once

#include <QString>

// What the main application does to the helper agent: keep it as a login item, tell whether it
// runs, start it. The real one works on the session; tests record the calls.
class HelperAgentControl {
public:
    virtual ~HelperAgentControl() = default;
    // Enabling also starts the agent when it is not running; disabling leaves it running.
    virtual void setLoginItemEnabled(const QString& identifier, bool enabled) = 0;
    // Whether the agent is registered to start at login now.
    virtual bool isLoginItemEnabled(const QString& identifier) = 0;
    virtual bool isRunning(const QString& identifier) = 0;
    // Starts it without waiting for it.
    virtual void launch(const QString& identifier) = 0;
};

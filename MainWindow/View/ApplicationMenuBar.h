#pragma once

#include <QMenuBar>
#include <functional>

class QAction;

// The main window's own small menu, in place of a desktop-wide application menu: Preferences,
// Help, and Quit (Ctrl+Q), the only way to end the application from its window since closing the
// window keeps it running.
class ApplicationMenuBar : public QMenuBar {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> showPreferences;
        std::function<void()> showHelp;
        std::function<void()> quit;
    };

    explicit ApplicationMenuBar(Actions actions, QWidget* parent = nullptr);

    QAction* preferencesAction() const { return m_preferences; }
    QAction* helpAction() const { return m_help; }
    QAction* quitAction() const { return m_quit; }

private:
    QAction* m_preferences = nullptr;
    QAction* m_help = nullptr;
    QAction* m_quit = nullptr;
};

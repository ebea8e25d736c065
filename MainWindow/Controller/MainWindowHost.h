#pragma once

class QWidget;

// What the application delegate needs of the main window's controller.
class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    // The main window; none when the controller has no window.
    virtual QWidget* window() const = 0;
    // Shows the window (it is made visible; raising and focus are the delegate's).
    virtual void showWindow() = 0;
    // Kept for the guide the window may one day show; nothing depends on it.
    virtual void setIsShowGuide(bool showGuide) = 0;
    // Centres the settings window over the main window and shows it.
    virtual void showConfigureWindow() = 0;
};

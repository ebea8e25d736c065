#pragma once

#include "Disposable.h"

#include <QWidget>
#include <optional>

class QLabel;
class Preferences;
class SwitchButton;

// A small white page with the wallpaper player's switch (and a second switch that does nothing
// yet). No window shows it today; it is kept ready for a settings pane.
class FunctionViewController : public QWidget {
    Q_OBJECT
public:
    explicit FunctionViewController(Preferences& preferences, QWidget* parent = nullptr);

    QLabel* videoLabel() const { return m_videoLabel; }
    QLabel* lockLabel() const { return m_lockLabel; }
    SwitchButton* videoButton() const { return m_videoButton; }
    SwitchButton* lockButton() const { return m_lockButton; }

protected:
    // Each time the page appears its switch shows the setting as it is now.
    void showEvent(QShowEvent* event) override;

private:
    Preferences& m_preferences;
    QLabel* m_videoLabel = nullptr;
    QLabel* m_lockLabel = nullptr;
    SwitchButton* m_videoButton = nullptr;
    SwitchButton* m_lockButton = nullptr;
    std::optional<Disposable> m_observeDispose;
};

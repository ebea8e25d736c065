#pragma once

#include "Disposable.h"

#include <QDialog>
#include <QList>
#include <QVariantMap>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QRadioButton;
class Preferences;
class ScreenList;

// The settings window: whether the helper agent starts at login, and how the wallpaper spreads over
// several monitors (one picture across all, the same on each, or one chosen monitor). It writes
// only the shared settings and always shows their current values, whichever program changed them.
// Closing it only hides it.
class ConfigWindowController : public QDialog {
    Q_OBJECT
public:
    ConfigWindowController(Preferences& preferences, ScreenList& screens, QWidget* parent = nullptr);
    ~ConfigWindowController() override;

    QCheckBox* autoStartCheckBox() const { return m_autoStartCheckBox; }
    QRadioButton* multipleRadioButton() const { return m_multipleRadioButton; } // tag 0
    QRadioButton* mirrorRadioButton() const { return m_mirrorRadioButton; }     // tag 1
    QRadioButton* singleRadioButton() const { return m_singleRadioButton; }     // tag 2
    QComboBox* monitorList() const { return m_monitorList; }

    // One entry per screen, in the screen list's order: "name" ("Monitor 1", ...) and "tag" (its
    // position from 0). Computed afresh on every call.
    QList<QVariantMap> monitorArray() const;

    // The radio buttons' action: "MonitorArrange" = the button's tag.
    void changeMonitorArrange(int tag);
    // The pop-up's action: "ScreenIndex" = the chosen item's tag, 0 when none is chosen.
    void switchMonitor();

private:
    void selectArrangement(qint64 value);
    void selectScreen(qint64 index);
    void reloadMonitorList();

    Preferences& m_preferences;
    ScreenList& m_screens;
    std::vector<Disposable> m_observeDisposes;
    QCheckBox* m_autoStartCheckBox = nullptr;
    QRadioButton* m_multipleRadioButton = nullptr;
    QRadioButton* m_mirrorRadioButton = nullptr;
    QRadioButton* m_singleRadioButton = nullptr;
    QButtonGroup* m_arrangement = nullptr;
    QComboBox* m_monitorList = nullptr;
};

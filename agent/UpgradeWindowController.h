#pragma once

#include "ButtonWithHoverBackGround.h"
#include "UpgradeInfo.h"

#include <QObject>
#include <QPointer>
#include <QTextEdit>
#include <memory>
#include <optional>

class UpgradeWindow;

// Shows one offered update: the version line and the release notes over the panel's artwork, and
// the button that opens the download page. The caller sets `upgradeInfo` before the window is
// first shown; the window is built when it is first needed.
class UpgradeWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr const char* nibName = "UpgradeWindowController";

    explicit UpgradeWindowController(QObject* parent = nullptr);
    ~UpgradeWindowController() override;

    const std::optional<UpgradeInfo>& upgradeInfo() const { return m_upgradeInfo; }
    void setUpgradeInfo(const std::optional<UpgradeInfo>& info) { m_upgradeInfo = info; }
    ButtonWithHoverBackGround* upgradeButton() const { return m_upgradeButton; }
    QTextEdit* infoLabel() const { return m_infoLabel; }

    bool isWindowLoaded() const { return m_window != nullptr; }
    // The panel, built (and `windowDidLoad` run) on first use.
    UpgradeWindow* window();
    void showWindow();
    void close();

private:
    void loadWindow();
    void windowDidLoad();

    std::optional<UpgradeInfo> m_upgradeInfo;
    QPointer<ButtonWithHoverBackGround> m_upgradeButton;
    QPointer<QTextEdit> m_infoLabel;
    std::unique_ptr<UpgradeWindow> m_window;
};

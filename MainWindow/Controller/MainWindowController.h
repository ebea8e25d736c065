#pragma once

#include "ApplicationMenuBar.h"
#include "ConfigWindowController.h"
#include "MainWindowHost.h"
#include "PreviewPresenter.h"
#include "PreviewVideoWindow.h"
#include "VideoLibraryViewController.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

class AboutViewController;
class LeftMenuBar;
class NotificationCenter;
class PreviewWindowPresenter;
class QAbstractButton;
class QRCodeController;
class QToolButton;
class ScreenList;
class SearchField;
class SearchHistoryManager;
class UrlOpener;
class WebModel;

// The library window: the side bar on the left, the search field and the five link buttons along
// the top, and on the right one of two pages (the library, the about page), both laid over the same
// area so that switching keeps each page as it was. It makes the settings window (centred over
// itself), the QR-code window and the preview window, and carries the small application menu.
// Closing it only hides it.
class MainWindowController : public QMainWindow, public MainWindowHost, public PreviewPresenter {
    Q_OBJECT
public:
    struct Dependencies {
        Preferences* preferences = nullptr;
        NotificationCenter* notifications = nullptr;
        UrlOpener* urlOpener = nullptr;
        WebModel* webModel = nullptr;
        ScreenList* screens = nullptr;
        SearchHistoryManager* searchHistory = nullptr;
        // Makes sure the download engine exists (it restores the stored queue when made).
        std::function<void()> ensureDownloadManager;
        // What the library page is made with; its preview goes to this window when unset.
        VideoLibraryViewController::Dependencies libraryPage;
        PreviewVideoWindow::PlayerFactory makePreviewPlayer;
        // The menu's actions; Preferences shows the settings window when unset.
        ApplicationMenuBar::Actions menuActions;
    };

    explicit MainWindowController(Dependencies dependencies, QWidget* parent = nullptr);
    ~MainWindowController() override;

    // ---- MainWindowHost
    QWidget* window() const override;
    void showWindow() override;
    void setIsShowGuide(bool showGuide) override { m_isShowGuide = showGuide; }
    void showConfigureWindow() override;

    // ---- PreviewPresenter
    void showPreviewWindow(const QUrl& url, const QRect& rect) override;

    // Shows the page at `index` (0 library, 1 about) and hides the others; beyond them, hides all.
    void showPage(int index);
    // The link buttons' action: the QR window, the web site, the help page or the forum.
    void buttonAction(QAbstractButton* sender);

    bool isShowGuide() const { return m_isShowGuide; }
    const std::vector<QWidget*>& rightContentViewControllerArray() const { return m_pages; }
    VideoLibraryViewController* libraryPage() const;
    AboutViewController* aboutPage() const;
    // Made on the first request, then reused.
    ConfigWindowController* configWindowController() const { return m_configWindowController; }
    QRCodeController* qrC() const { return m_qrC; }
    // Null until the first preview.
    PreviewVideoWindow* webViewWindow() const;

    QWidget* leftSideBar() const { return m_leftSideBar; }
    LeftMenuBar* leftMenuBar() const { return m_leftMenuBar; }
    SearchField* searchField() const { return m_searchField; }
    QToolButton* webSite() const { return m_webSite; }
    QToolButton* mobileApp() const { return m_mobileApp; }
    QToolButton* help() const { return m_help; }
    QToolButton* setting() const { return m_setting; }
    QToolButton* BBS() const { return m_BBS; }
    QWidget* rightSplitContentView() const { return m_rightSplitContentView; }
    ApplicationMenuBar* applicationMenuBar() const { return m_menuBar; }

    static constexpr int sideBarWidth = 160;

protected:
    bool event(QEvent* event) override;

private:
    void buildWindow();
    void windowDidLoad();
    void setupRightContent();
    void buildSideBar();
    QToolButton* makeLinkButton(const QString& text, const QString& toolTip);

    Dependencies m_deps;
    bool m_isShowGuide = false;
    bool m_painted = false;
    std::vector<QWidget*> m_pages;
    QPointer<ConfigWindowController> m_configWindowController;
    QRCodeController* m_qrC = nullptr;
    std::unique_ptr<PreviewWindowPresenter> m_preview;

    QWidget* m_leftSideBar = nullptr;
    LeftMenuBar* m_leftMenuBar = nullptr;
    SearchField* m_searchField = nullptr;
    QToolButton* m_webSite = nullptr;
    QToolButton* m_mobileApp = nullptr;
    QToolButton* m_help = nullptr;
    QToolButton* m_setting = nullptr;
    QToolButton* m_BBS = nullptr;
    QWidget* m_rightSplitContentView = nullptr;
    ApplicationMenuBar* m_menuBar = nullptr;
};

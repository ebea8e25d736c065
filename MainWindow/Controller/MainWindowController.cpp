#include "MainWindowController.h"

#include "AboutViewController.h"
#include "AppImage.h"
#include "AppInfo.h"
#include "ConfigWindowController.h"
#include "LeftMenuBar.h"
#include "PreviewWindowPresenter.h"
#include "QRCodeController.h"
#include "SearchField.h"
#include "UrlOpener.h"
#include "WebModel.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QToolButton>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcMainWindow, "zerafin.mainwindow", QtWarningMsg)

namespace {
constexpr int topBarHeight = 52;
} // namespace

MainWindowController::MainWindowController(Dependencies dependencies, QWidget* parent)
    : QMainWindow(parent), m_deps(std::move(dependencies)) {
    // The QR window is made with the controller and kept: the mobile button shows the same one.
    m_qrC = new QRCodeController(this);
    m_preview = std::make_unique<PreviewWindowPresenter>(m_deps.makePreviewPlayer,
                                                         [opener = m_deps.urlOpener](const QUrl& url) {
                                                             if (opener)
                                                                 opener->openUrl(url);
                                                         });
    if (!m_deps.libraryPage.showPreview)
        m_deps.libraryPage.showPreview = [this](const QUrl& url) { showPreviewWindow(url, QRect()); };
    if (!m_deps.menuActions.showPreferences)
        m_deps.menuActions.showPreferences = [this] { showConfigureWindow(); };

    buildWindow();
    windowDidLoad();
}

MainWindowController::~MainWindowController() {
    // The pages go before the collaborators they were given (lists, settings) may go.
    for (QWidget* page : m_pages)
        delete page;
    m_pages.clear();
}

void MainWindowController::buildWindow() {
    setWindowTitle(tr("Zerafin Video Desktop"));
    // No zoom button: the window keeps the size the user gives it by its edges.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setMinimumSize(1000, 640);
    resize(1180, 720);

    m_menuBar = new ApplicationMenuBar(m_deps.menuActions, this);
    setMenuBar(m_menuBar);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("mainWindowContent"));
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_leftSideBar = new QWidget(central);
    m_leftSideBar->setObjectName(QStringLiteral("leftSideBar"));
    m_leftSideBar->setFixedWidth(sideBarWidth);
    row->addWidget(m_leftSideBar);

    auto* right = new QWidget(central);
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* topBar = new QWidget(right);
    topBar->setObjectName(QStringLiteral("topBar"));
    topBar->setFixedHeight(topBarHeight);
    auto* top = new QHBoxLayout(topBar);
    top->setContentsMargins(16, 10, 12, 10);
    top->setSpacing(6);

    m_searchField = new SearchField(
        [web = m_deps.webModel](std::function<void(std::optional<BaseInfoResponse>)> completion) {
            if (web)
                web->requestBaseInfo(std::move(completion));
            else
                completion(std::nullopt);
        },
        m_deps.searchHistory, topBar);
    m_searchField->setFixedWidth(300);
    top->addWidget(m_searchField);
    top->addStretch(1);

    m_webSite = makeLinkButton(QStringLiteral("topBar_website"), tr("Web Site"));
    m_mobileApp = makeLinkButton(QStringLiteral("topBar_mobile"), tr("Mobile"));
    m_help = makeLinkButton(QStringLiteral("topBar_help"), tr("Help"));
    m_setting = makeLinkButton(QStringLiteral("topBar_setting"), tr("Settings"));
    m_BBS = makeLinkButton(QStringLiteral("topBar_forum"), tr("Forum"));
    for (QToolButton* button : {m_webSite, m_mobileApp, m_help, m_setting, m_BBS}) {
        top->addWidget(button);
        if (button == m_setting)
            connect(button, &QToolButton::clicked, this, [this] { showConfigureWindow(); });
        else
            connect(button, &QToolButton::clicked, this, [this, button] { buttonAction(button); });
    }
    column->addWidget(topBar);

    m_rightSplitContentView = new QWidget(right);
    m_rightSplitContentView->setObjectName(QStringLiteral("rightSplitContentView"));
    column->addWidget(m_rightSplitContentView, 1);
    row->addWidget(right, 1);
    setCentralWidget(central);

    // The download engine exists from the window on: it restores and resumes the stored queue.
    if (m_deps.ensureDownloadManager)
        m_deps.ensureDownloadManager();
}

QToolButton* MainWindowController::makeLinkButton(const QString& imageName, const QString& toolTip) {
    auto* button = new QToolButton(this);
    button->setIcon(QIcon(AppImage::pixmap(imageName)));
    button->setIconSize(QSize(20, 20));
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(32, 32);
    return button;
}

void MainWindowController::windowDidLoad() {
    setupRightContent();
    buildSideBar();
    // The four link buttons show their border only while the pointer is over them.
    for (QToolButton* button : {m_webSite, m_mobileApp, m_help, m_BBS})
        if (button)
            button->setAutoRaise(true);
    m_searchField->setMyDelegate(libraryPage());
    // Its reply feeds the side bar's leaflet and the new-features page.
    if (m_deps.webModel)
        m_deps.webModel->requestGuideInfo();
}

void MainWindowController::setupRightContent() {
    if (m_pages.empty()) {
        m_pages.push_back(new VideoLibraryViewController(m_deps.libraryPage));
        if (m_deps.urlOpener && m_deps.webModel) {
            m_pages.push_back(new AboutViewController(*m_deps.urlOpener, *m_deps.webModel));
        } else {
            qCWarning(lcMainWindow) << "no about page: it needs a URL opener and a server client";
        }
    }
    // Every page covers the whole area; only which one is visible changes.
    auto* grid = new QGridLayout(m_rightSplitContentView);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    // The library page shows from the start; the about page only once the side bar asks for it.
    for (size_t i = 0; i < m_pages.size(); ++i) {
        m_pages[i]->setParent(m_rightSplitContentView);
        m_pages[i]->setHidden(i != 0);
        grid->addWidget(m_pages[i], 0, 0);
    }
}

void MainWindowController::buildSideBar() {
    if (!m_leftSideBar)
        return;
    QPointer<MainWindowController> self(this);
    m_leftMenuBar = new LeftMenuBar(
        QRect(QPoint(0, 0), QSize(sideBarWidth, 640)),
        [self](int index) {
            if (self)
                self->showPage(index);
        },
        LeftMenuBar::Dependencies{m_deps.preferences, m_deps.notifications, m_deps.urlOpener}, m_leftSideBar);
    auto* layout = new QVBoxLayout(m_leftSideBar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_leftMenuBar);
}

QWidget* MainWindowController::window() const {
    return const_cast<MainWindowController*>(this);
}

void MainWindowController::showWindow() {
    show();
}

VideoLibraryViewController* MainWindowController::libraryPage() const {
    return m_pages.empty() ? nullptr : qobject_cast<VideoLibraryViewController*>(m_pages[0]);
}

AboutViewController* MainWindowController::aboutPage() const {
    return m_pages.size() < 2 ? nullptr : qobject_cast<AboutViewController*>(m_pages[1]);
}

PreviewVideoWindow* MainWindowController::webViewWindow() const {
    return m_preview->webViewWindow();
}

bool MainWindowController::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // An update request paints the whole window and puts it on the screen.
    if (event->type() == QEvent::UpdateRequest && !m_painted) {
        m_painted = true;
        qCDebug(lcMainWindow) << "first paint";
    }
    return handled;
}

void MainWindowController::showPage(int index) {
    for (int i = 0; i < int(m_pages.size()); ++i)
        m_pages[size_t(i)]->setHidden(i != index);
}

void MainWindowController::showConfigureWindow() {
    if (!m_configWindowController) {
        if (!m_deps.preferences || !m_deps.screens) {
            qCWarning(lcMainWindow) << "no settings window: it needs the settings and the screen list";
            return;
        }
        m_configWindowController = new ConfigWindowController(*m_deps.preferences, *m_deps.screens, this);
        m_configWindowController->adjustSize();
    }
    ConfigWindowController* config = m_configWindowController;
    // Centred over the main window, wherever that is now.
    const QRect main = geometry();
    const QSize size = config->size();
    config->setGeometry(QRect(QPoint(main.x() + int((main.width() - size.width()) * 0.5),
                                     main.y() + int((main.height() - size.height()) * 0.5)),
                              size));
    config->show();
    config->raise();
    config->activateWindow();
}

void MainWindowController::buttonAction(QAbstractButton* sender) {
    if (!sender)
        return;
    if (sender == m_mobileApp) {
        m_qrC->show();
        m_qrC->raise();
        m_qrC->activateWindow();
        return;
    }
    QUrl page;
    if (sender == m_webSite)
        page = AppInfo::webSiteURL();
    else if (sender == m_help)
        page = AppInfo::helpURL();
    else if (sender == m_BBS)
        page = AppInfo::forumURL();
    else
        return;
    if (m_deps.urlOpener)
        m_deps.urlOpener->openUrl(page);
}

void MainWindowController::showPreviewWindow(const QUrl& url, const QRect& rect) {
    // Addresses come from the server: only web addresses are played.
    if (!UrlOpener::isWebAddress(url)) {
        qCWarning(lcMainWindow) << "preview refused for an address that is not http or https:" << url;
        return;
    }
    m_preview->showPreviewWindow(url, rect);
}

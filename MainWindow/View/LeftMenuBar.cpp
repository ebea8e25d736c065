#include "LeftMenuBar.h"

#include "AppImage.h"
#include "AppInfo.h"
#include "ClickableImageView.h"
#include "GuideModel.h"
#include "LeftMenuCell.h"
#include "NotificationCenter.h"
#include "SwitchButton.h"
#include "UrlOpener.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QThread>

namespace {
constexpr int cellHeight = 36;
constexpr int leafletHeight = 260;
} // namespace

QColor LeftMenuBar::barColor() {
    return AppImage::namedColor(QStringLiteral("LeftSideBarColor")).value_or(QColor(35, 38, 43));
}

LeftMenuBar::LeftMenuBar(const QRect& frame, std::function<void(int)> selectedClosure,
                         Dependencies dependencies, QWidget* parent)
    : QWidget(parent), m_selectedClosure(std::move(selectedClosure)), m_deps(dependencies) {
    setGeometry(frame);
    const int width = frame.width();

    m_logo = new ClickableImageView(QRect(56, 37, 48, 48), this);
    m_logo->setImage(AppImage::named(QStringLiteral("leftPanel_icon_corvex")));
    m_logo->setClickAction([this] {
        if (m_deps.urlOpener)
            m_deps.urlOpener->openUrl(AppInfo::webSiteURL());
    });

    m_separator = new QWidget(this);
    m_separator->setGeometry(10, 104, 140, 1);
    m_separator->setAutoFillBackground(true);
    QPalette line = m_separator->palette();
    line.setColor(QPalette::Window, QColor(255, 255, 255, int(0.35 * 255)));
    m_separator->setPalette(line);

    const QString titles[] = {QCoreApplication::translate("Localizable", "Video", "video"),
                              QCoreApplication::translate("Localizable", "About", "about")};
    const QString normalImages[] = {QStringLiteral("leftPanel_videoDesktop_normal_corvex"),
                                    QStringLiteral("leftPanel_about_normal_corvex")};
    const QString selectedImages[] = {QStringLiteral("leftPanel_videoDesktop_pressed_corvex"),
                                      QStringLiteral("leftPanel_about_pressed_corvex")};
    int y = 117;
    for (int index = 0; index < 2; ++index) {
        QPointer<LeftMenuBar> bar(this);
        auto* cell = new LeftMenuCell(
            QRect(0, y, width, cellHeight),
            [bar, index] {
                if (!bar)
                    return;
                // The clicked entry ends selected even when its own click unselected it.
                bar->select(index);
                if (bar->m_selectedClosure)
                    bar->m_selectedClosure(index);
            },
            *m_deps.preferences, this);
        y += cellHeight;
        cell->titleLabel()->setText(titles[index]);
        cell->setNormalImage(AppImage::named(normalImages[index]));
        cell->setSelectedImage(AppImage::named(selectedImages[index]));
        cell->imageView()->setImage(cell->normalImage());
        if (index == 0) {
            cell->setIsSelected(true);
            cell->rightButton()->show();
        }
        m_cellList[index] = cell;
    }

    m_leaflet =
        new ClickableImageView(QRect(10, frame.height() - 10 - leafletHeight, 140, leafletHeight), this);
    m_leaflet->setChangeCurser(true);
    m_leaflet->hide();

    if (m_deps.notifications) {
        QPointer<LeftMenuBar> bar(this);
        m_leafletObservation = m_deps.notifications->addObserver(
            WebModel::leafletUpdatedNotification(), [bar](const Notification& notification) {
                const QVariantMap info = notification.userInfo;
                if (QThread::currentThread() == qApp->thread()) {
                    if (bar)
                        bar->leafletUpdated(info);
                    return;
                }
                QMetaObject::invokeMethod(
                    qApp,
                    [bar, info] {
                        if (bar)
                            bar->leafletUpdated(info);
                    },
                    Qt::QueuedConnection);
            });
    }
}

LeftMenuBar::~LeftMenuBar() = default;

LeftMenuCell* LeftMenuBar::cell(int index) const {
    const auto found = m_cellList.find(index);
    return found == m_cellList.end() ? nullptr : found->second;
}

void LeftMenuBar::select(int index) {
    for (const auto& [cellIndex, cell] : m_cellList)
        cell->setIsSelected(cellIndex == index);
}

void LeftMenuBar::leafletUpdated(const QVariantMap& userInfo) {
    const QVariant panel = userInfo.value(QStringLiteral("leftPanel"));
    if (!panel.canConvert<GuideModel::Pictures>())
        return;
    const GuideModel::Pictures pictures = panel.value<GuideModel::Pictures>();
    if (pictures.size() != 1)
        return;
    const QUrl link = pictures.first().second;
    m_leafletLink = link;
    m_leaflet->show();
    m_leaflet->setImage(pictures.first().first);
    m_leaflet->setClickAction([this, link] {
        // The link comes from the server: only a web page is opened.
        if (m_deps.urlOpener && UrlOpener::isWebAddress(link))
            m_deps.urlOpener->openUrl(link);
    });
}

void LeftMenuBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), barColor());
}

void LeftMenuBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_leaflet->setGeometry(10, height() - 10 - leafletHeight, 140, leafletHeight);
}

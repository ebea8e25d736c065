#include "UpgradeWindow.h"

#include "UpgradeWindowController.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QPainter>
#include <QUrl>

UpgradeWindow::UpgradeWindow(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    // It takes keyboard focus like any main window.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_StyledBackground, false);
}

void UpgradeWindow::setBackgroundImage(const QImage& image) {
    m_background = image;
    update();
}

bool UpgradeWindow::isOpenableUpdateUrl(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

void UpgradeWindow::openUpdate() {
    if (m_windowController && m_windowController->upgradeInfo() &&
        isOpenableUpdateUrl(m_windowController->upgradeInfo()->url))
        QDesktopServices::openUrl(QUrl(m_windowController->upgradeInfo()->url.trimmed(), QUrl::StrictMode));
    close();
}

void UpgradeWindow::performClose() {
    close();
}

void UpgradeWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_background.isNull()) {
        p.fillRect(rect(), palette().window());
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), m_background);
}

void UpgradeWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Close) || event->key() == Qt::Key_Escape) {
        performClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

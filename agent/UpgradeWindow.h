#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class UpgradeWindowController;

// The update panel: a small window over the backdrop artwork, with the release notes and the
// button that opens the download page. Closing it (the close command, Escape, or its button)
// closes it at once.
class UpgradeWindow : public QWidget {
    Q_OBJECT
public:
    explicit UpgradeWindow(QWidget* parent = nullptr);

    UpgradeWindowController* windowController() const { return m_windowController; }
    void setWindowController(UpgradeWindowController* controller) { m_windowController = controller; }
    // The picture drawn behind the panel's content, scaled to cover it.
    void setBackgroundImage(const QImage& image);

    // The upgrade button's action: opens the update's address when it is a web address (http or
    // https), then closes the panel in every case.
    void openUpdate();
    // Closes at once, asking nobody.
    void performClose();

    static bool isOpenableUpdateUrl(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<UpgradeWindowController> m_windowController;
    QImage m_background;
};

// The baseline of main-window-start: a bare widgets program that opens one window and says when
// it first painted it, through the same logging the main window uses.
#include <QApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QWidget>

Q_LOGGING_CATEGORY(lcBare, "zerafin.mainwindow", QtWarningMsg)

namespace {
class BareWindow : public QWidget {
protected:
    bool event(QEvent* event) override {
        const bool handled = QWidget::event(event);
        if (event->type() == QEvent::UpdateRequest && !m_painted) {
            m_painted = true;
            qCDebug(lcBare) << "first paint";
        }
        return handled;
    }

private:
    bool m_painted = false;
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BareWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(1180, 720);
    window.show();
    return app.exec();
}

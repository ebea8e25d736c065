// A window with the search field, for checks from outside under a real X server: it prints
// "ready ..." with where to click, then a "state ..." line whenever what the user sees changes.
// The delegate answers every prefix with three keywords that start with it.
#include "SearchField.h"
#include "SearchFieldDelegate.h"
#include "SearchHistoryManager.h"
#include "SuggestionsWindow.h"
#include "SuggestionsWindowController.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
class KeywordDelegate : public SearchFieldDelegate {
public:
    void searchSuggestions(const QString& prefix,
                           std::function<void(std::optional<QStringList>)> completion) override {
        completion(QStringList{prefix + " waves", prefix + " sunset", prefix + " night"});
    }
    void search(const QString& text) override { std::printf("search %s\n", qPrintable(text)); }
};

void print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SearchHistoryManager history(dir.filePath("searchHistory.info"));
    KeywordDelegate delegate;
    auto hotKeywords = [](std::function<void(std::optional<BaseInfoResponse>)> completion) {
        BaseInfoResponse response;
        response.data.hotkey = {QStringLiteral("aurora"), QStringLiteral("forest")};
        completion(response);
    };

    QWidget window;
    window.setWindowTitle(QStringLiteral("search field"));
    window.setGeometry(100, 100, 520, 260);
    auto* field = new SearchField(hotKeywords, &history, &window);
    field->setGeometry(20, 20, 280, 28);
    field->setMyDelegate(&delegate);
    auto* elsewhere = new QLabel(QStringLiteral("elsewhere"), &window);
    elsewhere->setGeometry(340, 200, 160, 40);
    window.show();
    window.activateWindow();

    QString last;
    QTimer watch;
    const auto report = [&] {
        SuggestionsWindowController* popup = field->suggestionWindowController();
        QString firstRow;
        for (const SuggestionRow& row : popup->suggestions())
            if (row.kind() == SuggestionRow::Kind::Selectable) {
                firstRow = row.label.value_or(QString());
                break;
            }
        const QString state =
            QStringLiteral(
                "state text=[%1] popup=%2 focus=%3 first=[%4] popupTop=%5 popupLeft=%6 fieldBottom=%7 "
                "fieldLeft=%8 popupId=%9")
                .arg(field->text())
                .arg(popup->isWindowVisible() ? 1 : 0)
                .arg(field->hasFocus() ? 1 : 0)
                .arg(firstRow)
                .arg(popup->window()->geometry().top())
                .arg(popup->window()->geometry().left())
                .arg(field->mapToGlobal(QPoint(0, field->height())).y())
                .arg(field->mapToGlobal(QPoint(0, 0)).x())
                .arg(popup->isWindowVisible() ? popup->window()->winId() : 0);
        if (state != last) {
            last = state;
            print(state);
        }
    };
    QObject::connect(&watch, &QTimer::timeout, report);
    // Also after every keystroke's keywords are shown (queued behind them), so that no prefix's
    // keywords go unreported when keys come faster than the polling.
    QObject::connect(field, &QLineEdit::textEdited, field,
                     [&] { QMetaObject::invokeMethod(&watch, report, Qt::QueuedConnection); });
    watch.start(20);
    QTimer::singleShot(300, [&] {
        const QPoint fieldCentre = field->mapToGlobal(field->rect().center());
        const QPoint elsewhereCentre = elsewhere->mapToGlobal(elsewhere->rect().center());
        print(QStringLiteral("ready field=%1,%2 elsewhere=%3,%4 window=%5")
                  .arg(fieldCentre.x())
                  .arg(fieldCentre.y())
                  .arg(elsewhereCentre.x())
                  .arg(elsewhereCentre.y())
                  .arg(window.winId()));
    });
    return app.exec();
}

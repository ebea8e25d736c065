// The suggestions popup is rebuilt on every keystroke while the user types. Measured here: a burst
// of ten typed keys, each answered with 50 keywords and the popup laid out again, against the named
// baseline "completer": Qt's own completer popup showing the same 50 strings for each key.
#include "BenchReport.h"
#include "SearchField.h"
#include "SearchFieldDelegate.h"
#include "SearchHistoryManager.h"
#include "SuggestionsWindow.h"
#include "SuggestionsWindowController.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

QStringList keywordsFor(const QString& prefix) {
    QStringList keywords;
    for (int i = 0; i < 50; ++i)
        keywords << QStringLiteral("%1 wallpaper %2").arg(prefix).arg(i);
    return keywords;
}

// Answers every request at once with 50 keywords.
class AnsweringDelegate : public SearchFieldDelegate {
public:
    void searchSuggestions(const QString& prefix,
                           std::function<void(std::optional<QStringList>)> completion) override {
        completion(keywordsFor(prefix));
    }
    void search(const QString&) override {}
};

void settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One burst: ten keys typed into an empty field, everything each key causes run to its end.
template <typename Field> double burstMillis(Field* field) {
    field->clear();
    settle();
    const auto start = Clock::now();
    for (const char key : QByteArray("oceanwaves")) {
        QTest::keyClick(field, key);
        settle();
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SearchHistoryManager history(dir.filePath("searchHistory.info"));
    AnsweringDelegate delegate;

    QWidget window;
    window.resize(600, 80);
    auto* field = new SearchField({}, &history, &window);
    field->setGeometry(20, 20, 260, 28);
    field->setMyDelegate(&delegate);
    auto* plain = new QLineEdit(&window);
    plain->setGeometry(300, 20, 260, 28);
    auto* model = new QStringListModel(plain);
    auto* completer = new QCompleter(model, plain);
    completer->setMaxVisibleItems(50);
    plain->setCompleter(completer);
    // The completer gets the same 50 strings for every key.
    QObject::connect(plain, &QLineEdit::textEdited, plain, [&](const QString& text) {
        model->setStringList(keywordsFor(text));
        completer->setCompletionPrefix(text);
        completer->complete();
    });
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::printf("the window never became active\n");
        return 1;
    }

    std::vector<double> popupSamples, completerSamples;
    for (int round = 0; round < 15; ++round) {
        field->setFocus(Qt::MouseFocusReason);
        popupSamples.push_back(burstMillis(field));
        if (field->suggestionWindowController()->viewControllers().size() != 50) {
            std::printf("the popup does not show the 50 keywords\n");
            return 1;
        }
        plain->setFocus(Qt::MouseFocusReason);
        completerSamples.push_back(burstMillis(plain));
    }
    std::printf("popup %d px tall, completer popup %d px tall\n",
                field->suggestionWindowController()->window()->height(), completer->popup()->height());
    const double popupMs = median(popupSamples);
    const double completerMs = median(completerSamples);
    std::printf("ten-key burst, 50 rows per key: popup %.2f ms; baseline completer %.2f ms\n", popupMs,
                completerMs);
    const bool ok =
        benchLine("search-popup-relayout", popupMs / std::max(completerMs, 0.001), "x", "<=", 1.5);
    benchLine("search-popup-relayout-burst", popupMs, "ms", "<", 1000);
    return ok ? 0 : 1;
}

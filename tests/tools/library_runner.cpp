// The local library's batch import and "Clear All" in a process of their own, for the tests that
// end it at chosen moments (SIGTERM, SIGKILL) and then look at what it left:
//   library_runner HOME import silent|answer FILE...   imports the files; the server lookup never
//                                                       answers (silent) or answers "no record" at once
//   library_runner HOME clear                           answers "OK" to Clear All and clears
//   library_runner HOME start                           only what a start does, then ends
// HOME holds Corvex.db, the library folder "library" and the thumbnail folder "thumbnails". A line
// "started" is printed when the batch starts or "OK" is answered; "ended" when the program ends.
#include "AlertPresenter.h"
#include "ImageLoader.h"
#include "LocalLibraryModel.h"
#include "LocalLibraryViewModel.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "QuitSignalHandler.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {
void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// Answers every confirmation with its second button ("OK").
class ConfirmingAlerts : public AlertPresenter {
public:
    void showMessage(const QString& message) override {
        std::printf("alert: %s\n", qPrintable(message));
        std::fflush(stdout);
    }
    void confirm(QWidget*, const QString&, const QStringList&, Style,
                 std::function<void(int)> answered) override {
        say("started");
        answered(1);
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: library_runner HOME import|clear|start [silent|answer FILE...]\n");
        return 2;
    }
    const QDir home(args.at(1));
    const QString command = args.at(2);
    QuitSignalHandler::install([] { QCoreApplication::quit(); });

    home.mkpath(QStringLiteral("library"));
    home.mkpath(QStringLiteral("thumbnails"));
    LocalVideoDBManager database(home.filePath(QStringLiteral("Corvex.db")));
    LocalLibraryModel::DetailLookup lookup;
    if (command == QLatin1String("import") && args.size() > 3) {
        if (args.at(3) == QLatin1String("silent"))
            // Kept, never called: a request still waiting for its answer.
            lookup = [](const QString&, LocalLibraryModel::DetailCompletion completion) {
                static QList<LocalLibraryModel::DetailCompletion> pending;
                pending.append(std::move(completion));
            };
        else
            lookup = [](const QString&, LocalLibraryModel::DetailCompletion completion) {
                completion(std::nullopt);
            };
    }
    LocalLibraryModel importer(database, lookup, home.filePath(QStringLiteral("library")),
                               home.filePath(QStringLiteral("thumbnails")));
    importer.finishInterruptedImports();
    if (command == QLatin1String("start")) {
        say("ended");
        return 0;
    }

    UserDefaults suite(home.filePath(QStringLiteral("suite.ini")));
    Preferences preferences(suite);
    NotificationCenter notifications;
    ImageLoader images(ImageLoader::Options{});
    ConfirmingAlerts alerts;
    LocalLibraryViewModel::Dependencies deps;
    deps.database = &database;
    deps.preferences = &preferences;
    deps.importer = &importer;
    deps.libraryDirectory = home.filePath(QStringLiteral("library"));
    deps.alerts = &alerts;
    deps.images = &images;
    deps.notifications = &notifications;
    // Made and ended as the main program makes and ends its lists: after the event loop.
    auto model = std::make_unique<LocalLibraryViewModel>(deps);

    if (command == QLatin1String("clear")) {
        QTimer::singleShot(0, model.get(), [&model] {
            model->clearAllItemAction();
            say("cleared");
            QCoreApplication::quit();
        });
    } else {
        QList<QUrl> files;
        for (const QString& file : args.mid(4))
            files.append(QUrl::fromLocalFile(file));
        QTimer::singleShot(0, model.get(), [&model, files] {
            model->importVideoFiles(files, [] { say("imported"); });
            say("started");
        });
    }
    const int status = app.exec();
    model.reset();
    say("ended");
    return status;
}

// The local list's reload against the named baseline "sqlite3": a library of 10,000 rows. Ours runs
// from reloadVideoList to the end of the first frame that shows the 10,000 rows (the table read
// into records, the queued redisplay, the selection of the playing video, the grid and the cells
// of the visible rows painted). The sqlite3 program reads the same rows ("select * from LocalVideos") into
// /dev/null in the same run. Target: at most 3 times sqlite3's time (median of 7 runs each).
#include "BenchReport.h"
#include "ImageLoader.h"
#include "ListContainerView.h"
#include "LocalLibraryModel.h"
#include "LocalLibraryViewModel.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "UserDefaults.h"
#include "VideoItemCell.h"
#include "ZFCollectionView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {
constexpr int rowCount = 10000;
constexpr int runs = 7;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Fills the table in one transaction through the sqlite3 program.
bool fill(const QString& database) {
    const QString sql =
        QStringLiteral(
            "BEGIN;"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO LocalVideos SELECT i, printf('%032x', i), '', 'Imported clip number ' || i, "
            "'file:///home/user/.local/share/K4TQ7ZR2MB.zerafin/Application%%20Support/DownloadVideo/clip' "
            "|| i || '.mp4', "
            "'A clip of the library', 30000, 25000000, "
            "'file:///home/user/.local/share/K4TQ7ZR2MB.zerafin/Application%%20Support/thumb' || i || "
            "'.png', 0, "
            "'nature, sea', '16:9', 1920, 1080, 30, 6000000, 1, '2024-01-01', 0, 0, 'someone', '', 0, '', 0, "
            "1 FROM n;"
            "COMMIT;")
            .arg(rowCount);
    QProcess sqlite;
    sqlite.start("sqlite3", {"-batch", "-bail", database, sql});
    return sqlite.waitForFinished(60000) && sqlite.exitCode() == 0;
}

double sqliteMilliseconds(const QString& database) {
    QProcess sqlite;
    sqlite.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    sqlite.start("sqlite3", {"-batch", database, "select * from LocalVideos"});
    sqlite.waitForFinished(60000);
    const double elapsed = timer.nsecsElapsed() / 1e6;
    return sqlite.exitCode() == 0 ? elapsed : -1;
}

// Times the first frame that shows the new rows: the window's update (every dirty widget painted:
// the grid's viewport and each visible cell, then the frame flushed) in which the grid's viewport is
// painted with all the rows there. The update runs inside the filter, so the time taken is its end.
// A frame of the empty grid, or one painted before the rows were there, does not count, whatever
// the order in which the reload's queued steps and the paints arrive.
class FirstFrameWithRows : public QObject {
public:
    FirstFrameWithRows(QWidget& window, const CollectionView& view) : m_window(window), m_view(view) {
        window.installEventFilter(this);
        view.viewport()->installEventFilter(this);
    }

    void arm(const QElapsedTimer& timer, int rows) {
        m_timer = &timer;
        m_rows = rows;
        m_milliseconds = -1;
    }
    // Milliseconds from the timer's start to the end of that frame; negative until it came.
    double milliseconds() const { return m_milliseconds; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_timer)
            return QObject::eventFilter(watched, event);
        if (watched == m_view.viewport() && event->type() == QEvent::Paint &&
            m_view.numberOfItems() == m_rows)
            m_rowsPainted = true;
        if (watched == &m_window && event->type() == QEvent::UpdateRequest) {
            m_rowsPainted = false;
            watched->event(event);
            if (m_rowsPainted) {
                m_milliseconds = m_timer->nsecsElapsed() / 1e6;
                m_timer = nullptr;
            }
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_window;
    const CollectionView& m_view;
    const QElapsedTimer* m_timer = nullptr;
    int m_rows = 0;
    bool m_rowsPainted = false;
    double m_milliseconds = -1;
};
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    QApplication app(argc, argv);
    if (QStandardPaths::findExecutable("sqlite3").isEmpty()) {
        std::printf("sqlite3 is missing\n");
        return benchLine("local-list-reload", 0, "x", "<=", 3) ? 0 : 1;
    }

    const QString path = home.filePath("Corvex.db");
    LocalVideoDBManager database(path);
    if (!fill(path) || database.selectAll().size() != size_t(rowCount)) {
        std::printf("the library could not be filled\n");
        return benchLine("local-list-reload", 999, "x", "<=", 3) ? 0 : 1;
    }

    UserDefaults suite(home.filePath("suite.ini"));
    Preferences preferences(suite);
    preferences.setIsOpenPlayer(true);
    preferences.setPlayingVideoSign(QString("%1").arg(rowCount / 2, 32, 16, QLatin1Char('0')));
    LocalLibraryModel importer(database, {}, home.filePath("library"), home.path());
    QNetworkAccessManager network;
    ImageLoader::Options imageOptions;
    imageOptions.network = &network;
    imageOptions.memoryCostLimit = 1;
    imageOptions.ownFolders = {home.path()};
    ImageLoader images(imageOptions);
    NotificationCenter notifications;
    LocalLibraryViewModel::Dependencies deps;
    deps.database = &database;
    deps.preferences = &preferences;
    deps.importer = &importer;
    deps.libraryDirectory = home.filePath("library");
    deps.images = &images;
    deps.notifications = &notifications;
    LocalLibraryViewModel model(deps);

    QWidget window;
    window.resize(900, 700);
    ListContainerView container(&window);
    container.setGeometry(window.rect());
    ZFCollectionView view(&container);
    view.setGeometry(container.rect());
    view.setNotifyDelegate(true);
    view.registerCell(VideoItemCell::reuseIdentifier, [] { return new VideoItemCell(); });
    FirstFrameWithRows firstFrame(window, view);
    model.bind(&view);
    window.show();
    QCoreApplication::processEvents();

    auto ours = [&] {
        model.setVideoList(std::nullopt);
        view.reloadData();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        firstFrame.arm(timer, rowCount);
        model.reloadVideoList(true);
        while (firstFrame.milliseconds() < 0 && timer.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return firstFrame.milliseconds();
    };

    sqliteMilliseconds(path);
    ours();
    std::vector<double> baseline, measured;
    for (int run = 0; run < runs; ++run) {
        baseline.push_back(sqliteMilliseconds(path));
        measured.push_back(ours());
    }
    if (*std::min_element(baseline.begin(), baseline.end()) < 0 ||
        *std::min_element(measured.begin(), measured.end()) < 0) {
        std::printf("a run did not finish\n");
        return benchLine("local-list-reload", 999, "x", "<=", 3) ? 0 : 1;
    }
    std::printf("%d rows: sqlite3 %.1f ms, reload to first painted frame %.1f ms (medians of %d)\n", rowCount,
                median(baseline), median(measured), runs);
    return benchLine("local-list-reload", median(measured) / median(baseline), "x", "<=", 3) ? 0 : 1;
}

// The local library at 10,000 and 100,000 rows: LocalVideoDBManager's insert (the check and the
// insert in one committed transaction), selectBySign and selectAll, against the named baseline
// "sqlite3": the bare statements through the SQLite C API with one prepared statement each (the
// insert alone, committed on its own), reading the same columns. The table is filled in one
// transaction first (not timed).
#include "BenchReport.h"
#include "LocalVideoDBManager.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double micros(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

QString signOf(int n) {
    return QString::number(n, 16).rightJustified(32, QLatin1Char('0'));
}

VideoDetail videoOf(int n) {
    VideoDetail v;
    v.id = n;
    v.sign = signOf(n);
    v.title = QStringLiteral("Wallpaper %1").arg(n);
    v.url = QStringLiteral("file:///home/user/.local/share/K4TQ7ZR2MB.zerafin/Application%20Support/"
                           "DownloadVideo/%1.mp4")
                .arg(v.sign);
    v.description = QStringLiteral("Imported video");
    v.time = 30000;
    v.size = 3LL * 1024 * 1024 * 1024;
    v.width = 1920;
    v.height = 1080;
    v.frame = 30;
    v.rate = 4000000;
    v.audio = 1;
    return v;
}

// Console lines of the manager ("insert true", ...) would swamp the figures: send standard output
// elsewhere while the library works.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        m_saved = ::dup(1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(m_saved, 1);
        ::close(m_saved);
    }

private:
    int m_saved;
};

void fill(const QString& path, int from, int to) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO LocalVideos (vid, sign, preurl, title, url, description, time, size, imgurl, "
        "imgsize, tags, ratio, width, height, frame, rate, audio, uptime, down, view, author, avatar, "
        "avatarsize, hp, upcount, state) VALUES (?, ?, '', ?, ?, ?, ?, ?, '', 0, '', '', ?, ?, ?, ?, "
        "?, '', 0, 0, '', '', 0, '', 0, 1)",
        -1, &insert, nullptr);
    for (int n = from; n < to; ++n) {
        const VideoDetail v = videoOf(n);
        const QByteArray sign = v.sign.toUtf8(), title = v.title.toUtf8(), url = v.url.toUtf8(),
                         description = v.description.toUtf8();
        sqlite3_bind_int64(insert, 1, v.id);
        sqlite3_bind_text(insert, 2, sign.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, title.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, url.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, description.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 6, v.time);
        sqlite3_bind_int64(insert, 7, v.size);
        sqlite3_bind_int64(insert, 8, v.width);
        sqlite3_bind_int64(insert, 9, v.height);
        sqlite3_bind_int64(insert, 10, v.frame);
        sqlite3_bind_int64(insert, 11, v.rate);
        sqlite3_bind_int64(insert, 12, v.audio);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The baseline: the C API with its statements prepared once, reading the 25 columns by position.
class RawLibrary {
public:
    explicit RawLibrary(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        sqlite3_busy_timeout(m_db, 2000);
        sqlite3_prepare_v2(m_db, "select * from LocalVideos where sign = ?", -1, &m_bySign, nullptr);
        sqlite3_prepare_v2(m_db, "select * from LocalVideos", -1, &m_all, nullptr);
        sqlite3_prepare_v2(
            m_db,
            "INSERT INTO LocalVideos ( vid, sign, preurl, title, url, description, time, size, imgurl, "
            "imgsize, tags, ratio, width, height, frame, rate, audio, uptime, down, view, author, "
            "avatar, avatarsize, hp, upcount, state ) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);",
            -1, &m_insert, nullptr);
    }
    ~RawLibrary() {
        sqlite3_finalize(m_bySign);
        sqlite3_finalize(m_all);
        sqlite3_finalize(m_insert);
        sqlite3_close(m_db);
    }

    static VideoDetail row(sqlite3_stmt* s) {
        const auto text = [&](int i) {
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                     sqlite3_column_bytes(s, i));
        };
        VideoDetail v;
        v.id = sqlite3_column_int64(s, 0);
        v.sign = text(1);
        v.preurl = text(2);
        v.title = text(3);
        v.url = text(4);
        v.description = text(5);
        v.time = sqlite3_column_int64(s, 6);
        v.size = sqlite3_column_int64(s, 7);
        v.imgurl = text(8);
        v.imgsize = sqlite3_column_int64(s, 9);
        v.tags = text(10);
        v.ratio = text(11);
        v.width = sqlite3_column_int64(s, 12);
        v.height = sqlite3_column_int64(s, 13);
        v.frame = sqlite3_column_int64(s, 14);
        v.rate = sqlite3_column_int64(s, 15);
        v.audio = sqlite3_column_int64(s, 16);
        v.uptime = text(17);
        v.down = sqlite3_column_int64(s, 18);
        v.view = sqlite3_column_int64(s, 19);
        v.author = text(20);
        v.avatar = text(21);
        v.avatarsize = sqlite3_column_int64(s, 22);
        v.hp = text(23);
        v.upcount = sqlite3_column_int64(s, 24);
        return v;
    }

    std::optional<VideoDetail> selectBySign(const QString& sign) {
        const QByteArray bytes = sign.toUtf8();
        sqlite3_bind_text(m_bySign, 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        std::optional<VideoDetail> last;
        while (sqlite3_step(m_bySign) == SQLITE_ROW)
            last = row(m_bySign);
        sqlite3_reset(m_bySign);
        return last;
    }

    std::vector<VideoDetail> selectAll() {
        std::vector<VideoDetail> all;
        while (sqlite3_step(m_all) == SQLITE_ROW)
            all.push_back(row(m_all));
        sqlite3_reset(m_all);
        return all;
    }

    void insert(const VideoDetail& v) {
        const QByteArray sign = v.sign.toUtf8(), title = v.title.toUtf8(), url = v.url.toUtf8();
        for (int i = 1; i <= 26; ++i)
            sqlite3_bind_int64(m_insert, i, 0);
        sqlite3_bind_int64(m_insert, 1, v.id);
        sqlite3_bind_text(m_insert, 2, sign.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(m_insert, 4, title.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(m_insert, 5, url.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(m_insert, 8, v.size);
        sqlite3_bind_int64(m_insert, 26, 1);
        sqlite3_step(m_insert);
        sqlite3_reset(m_insert);
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_bySign = nullptr;
    sqlite3_stmt* m_all = nullptr;
    sqlite3_stmt* m_insert = nullptr;
};

bool measure(int rows) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Corvex.db");
    std::optional<LocalVideoDBManager> library;
    {
        QuietStdout quiet;
        library.emplace(path);
    }
    fill(path, 0, rows);
    RawLibrary raw(path);
    std::mt19937 random(rows);

    // selectBySign: present signs picked at random.
    std::vector<double> ours, theirs;
    bool found = true;
    for (int round = 0; round < 15; ++round) {
        const int lookups = 2000;
        std::vector<QString> signs;
        for (int i = 0; i < lookups; ++i)
            signs.push_back(signOf(int(random() % unsigned(rows))));
        auto start = Clock::now();
        for (const QString& sign : signs)
            found &= library->selectBySign(sign).has_value();
        ours.push_back(micros(start) / lookups);
        start = Clock::now();
        for (const QString& sign : signs)
            found &= raw.selectBySign(sign).has_value();
        theirs.push_back(micros(start) / lookups);
    }
    const double bySign = median(ours), bySignRaw = median(theirs);

    // selectAll: the whole table into records.
    ours.clear();
    theirs.clear();
    for (int round = 0; round < (rows > 50000 ? 5 : 11); ++round) {
        auto start = Clock::now();
        found &= int(library->selectAll().size()) == rows;
        ours.push_back(micros(start) / 1000);
        start = Clock::now();
        found &= int(raw.selectAll().size()) == rows;
        theirs.push_back(micros(start) / 1000);
    }
    const double all = median(ours), allRaw = median(theirs);

    // insert: new signs, each its own committed write, as the programs do.
    ours.clear();
    theirs.clear();
    int next = rows;
    {
        QuietStdout quiet;
        for (int round = 0; round < 9; ++round) {
            const int inserts = 50;
            auto start = Clock::now();
            for (int i = 0; i < inserts; ++i)
                found &= library->insert(videoOf(next++));
            ours.push_back(micros(start) / inserts);
            start = Clock::now();
            for (int i = 0; i < inserts; ++i)
                raw.insert(videoOf(next++));
            theirs.push_back(micros(start) / inserts);
        }
    }
    const double insert = median(ours), insertRaw = median(theirs);

    std::printf("%d rows: selectBySign %.2f us (sqlite3 %.2f us); selectAll %.1f ms (sqlite3 %.1f ms); "
                "insert %.1f us (sqlite3 %.1f us)%s\n",
                rows, bySign, bySignRaw, all, allRaw, insert, insertRaw, found ? "" : " (ROWS MISSING)");
    const QString n = rows >= 100000 ? QStringLiteral("100k") : QStringLiteral("10k");
    bool ok = found;
    if (rows >= 100000)
        ok &= benchLine(("localdb-selectBySign-" + n).toStdString(), bySign, "us", "<", 50);
    else
        benchLine(("localdb-selectBySign-" + n).toStdString(), bySign, "us", "<", 50);
    benchLine(("localdb-selectBySign-" + n + "-vs-sqlite3").toStdString(),
              bySign / std::max(bySignRaw, 0.001), "x", "<=", 3);
    benchLine(("localdb-selectAll-" + n + "-vs-sqlite3").toStdString(), all / std::max(allRaw, 0.001), "x",
              "<=", 2);
    benchLine(("localdb-insert-" + n + "-vs-sqlite3").toStdString(), insert / std::max(insertRaw, 0.001), "x",
              "<=", 2);
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool ok = measure(10000);
    ok &= measure(100000);
    return ok ? 0 : 1;
}

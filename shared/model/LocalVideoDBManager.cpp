#include "LocalVideoDBManager.h"

#include "AppInfo.h"
#include "Console.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

const QString insertSQL = QStringLiteral(
    "INSERT INTO LocalVideos ( vid, sign, preurl, title, url, description, time, size, imgurl, imgsize, "
    "tags, "
    "ratio, width, height, frame, rate, audio, uptime, down, view, author, avatar, avatarsize, hp, upcount, "
    "state "
    ") values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);");
const QString selectAllSQL = QStringLiteral("select * from LocalVideos");
const QString selectBySignSQL = QStringLiteral("select * from LocalVideos where sign = ?");
const QString deleteBySignSQL = QStringLiteral("delete from LocalVideos where sign = ?");
const QString deleteAllSQL = QStringLiteral("delete from LocalVideos");

const QString seedResource = QStringLiteral(":/Corvex.db");

// Reads rows into records, finding each column by name once per query.
class RowReader {
public:
    explicit RowReader(const ResultSet& rows) {
        static const char* const names[] = {
            "vid",     "sign", "preurl", "title",  "url",        "description", "time",   "size",  "imgurl",
            "imgsize", "tags", "ratio",  "width",  "height",     "frame",       "rate",   "audio", "uptime",
            "down",    "view", "author", "avatar", "avatarsize", "hp",          "upcount"};
        for (int i = 0; i < 25; ++i)
            m_index[i] = rows.columnIndex(QLatin1String(names[i]));
    }

    VideoDetail read(const ResultSet& rows) const {
        int i = 0;
        const auto integer = [&] { return rows.longLongIntForColumnIndex(m_index[i++]); };
        const auto text = [&] { return rows.stringForColumnIndex(m_index[i++]); };
        VideoDetail video;
        video.id = integer();
        video.sign = text();
        video.preurl = text();
        video.title = text();
        video.url = text();
        video.description = text();
        video.time = integer();
        video.size = integer();
        video.imgurl = text();
        video.imgsize = integer();
        video.tags = text();
        video.ratio = text();
        video.width = integer();
        video.height = integer();
        video.frame = integer();
        video.rate = integer();
        video.audio = integer();
        video.uptime = text();
        video.down = integer();
        video.view = integer();
        video.author = text();
        video.avatar = text();
        video.avatarsize = integer();
        video.hp = text();
        video.upcount = integer();
        return video;
    }

private:
    int m_index[25];
};

QVariantList insertArguments(const VideoDetail& v) {
    return {v.id,      v.sign, v.preurl, v.title,  v.url,        v.description, v.time,    v.size,   v.imgurl,
            v.imgsize, v.tags, v.ratio,  v.width,  v.height,     v.frame,       v.rate,    v.audio,  v.uptime,
            v.down,    v.view, v.author, v.avatar, v.avatarsize, v.hp,          v.upcount, qint64(1)};
}

const char* resultText(bool ok) {
    return ok ? "true" : "false";
}

} // namespace

static void initSeedResource() {
    Q_INIT_RESOURCE(seed);
}

LocalVideoDBManager& LocalVideoDBManager::shared() {
    static LocalVideoDBManager* manager = new LocalVideoDBManager(defaultDatabasePath());
    return *manager;
}

QString LocalVideoDBManager::defaultDatabasePath() {
    return AppInfo::applicationSupportDirectory() + QStringLiteral("/Corvex.db");
}

bool LocalVideoDBManager::copySeed(const QString& path) {
    if (QFileInfo::exists(path))
        return true;
    initSeedResource();
    QFile seed(seedResource);
    if (!seed.open(QIODevice::ReadOnly)) {
        Console::line(QStringLiteral("Cannot read the seed database: %1").arg(seed.errorString()));
        return false;
    }
    const QByteArray bytes = seed.readAll();
    // Write the copy beside its place, make it writable (resources are read-only), then link it
    // into place: the other program may be seeding the same file at this moment, and whichever
    // comes second must neither replace the first copy nor see a half-written one.
    QTemporaryFile temporary(QFileInfo(path).absolutePath() + QStringLiteral("/Corvex.db.XXXXXX"));
    if (!temporary.open() || temporary.write(bytes) != bytes.size() || !temporary.flush()) {
        Console::line(
            QStringLiteral("Cannot copy the seed database to %1: %2").arg(path, temporary.errorString()));
        return false;
    }
    temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                             QFileDevice::ReadOther);
    if (::link(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(path).constData()) !=
            0 &&
        errno != EEXIST) {
        Console::line(QStringLiteral("Cannot copy the seed database to %1: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    return true;
}

LocalVideoDBManager::LocalVideoDBManager(const QString& databasePath) : m_db(databasePath) {
    // Without its seed the file is left absent rather than made empty, so that the next start can
    // still seed it.
    const bool seeded = copySeed(databasePath);
    Console::line(m_db.databasePath());
    if (!m_db.open(2000, seeded))
        Console::line("db open failure");
}

template <typename Body> bool LocalVideoDBManager::writing(Body body) {
    if (!m_db.executeUpdate(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (body() && m_db.executeUpdate(QStringLiteral("COMMIT")))
        return true;
    m_db.executeUpdate(QStringLiteral("ROLLBACK"));
    return false;
}

bool LocalVideoDBManager::insert(const VideoDetail& video) {
    std::lock_guard lock(m_mutex);
    bool exists = false;
    // The check and the insert form one transaction, so that two programs inserting the same
    // sign at once still make one row.
    const bool ok = writing([&] {
        exists = selectBySignLocked(video.sign).has_value();
        return !exists && m_db.executeUpdate(insertSQL, insertArguments(video));
    });
    if (exists)
        return false;
    Console::line(QStringLiteral("insert ") + QLatin1String(resultText(ok)));
    return ok;
}

std::optional<VideoDetail> LocalVideoDBManager::selectBySign(const QString& sign) {
    std::lock_guard lock(m_mutex);
    return selectBySignLocked(sign);
}

std::optional<VideoDetail> LocalVideoDBManager::selectBySignLocked(const QString& sign) {
    auto rows = m_db.executeQuery(selectBySignSQL, {sign});
    if (!rows)
        return std::nullopt;
    const RowReader reader(*rows);
    std::optional<VideoDetail> last;
    while (rows->next())
        last = reader.read(*rows);
    return last;
}

bool LocalVideoDBManager::readAllLocked(std::vector<VideoDetail>& videos) {
    auto rows = m_db.executeQuery(selectAllSQL);
    if (!rows)
        return false;
    const RowReader reader(*rows);
    while (rows->next())
        videos.push_back(reader.read(*rows));
    return !rows->failed();
}

std::vector<VideoDetail> LocalVideoDBManager::selectAll() {
    std::lock_guard lock(m_mutex);
    std::vector<VideoDetail> videos;
    readAllLocked(videos);
    return videos;
}

std::optional<std::vector<VideoDetail>> LocalVideoDBManager::selectAllIfReadable() {
    std::lock_guard lock(m_mutex);
    std::vector<VideoDetail> videos;
    if (!readAllLocked(videos))
        return std::nullopt;
    return videos;
}

bool LocalVideoDBManager::deleteBySign(const QString& sign) {
    std::lock_guard lock(m_mutex);
    const bool ok = writing([&] { return m_db.executeUpdate(deleteBySignSQL, {sign}); });
    Console::line(QStringLiteral("delete ") + sign + QLatin1Char(' ') + QLatin1String(resultText(ok)));
    return ok;
}

bool LocalVideoDBManager::deleteAll() {
    std::lock_guard lock(m_mutex);
    const bool ok = writing([&] { return m_db.executeUpdate(deleteAllSQL); });
    Console::line(QStringLiteral("delete all ") + QLatin1String(resultText(ok)));
    return ok;
}

#pragma once

#include "Database.h"
#include "VideoDetail.h"

#include <QString>
#include <mutex>
#include <optional>
#include <vector>

// The local library: one row per downloaded or imported video in the table LocalVideos of
// "Corvex.db" in the shared container, which both programs open through connections of their own.
// The file starts as a copy of the seed database compiled into the programs.
//
// Every operation runs on the caller's thread under one lock, so the manager can be shared by the
// main thread and work queues. Writes take the file's write lock before they read anything, and
// the busy time-out lets one program wait out the other's lock: a write that first read and then
// asked for the lock could be refused at once when the other program is committing.
class LocalVideoDBManager {
public:
    static LocalVideoDBManager& shared();
    // The database at `databasePath`, seeded when no file is there.
    explicit LocalVideoDBManager(const QString& databasePath);

    // Adds the video unless a row with its sign exists (then nothing is written or printed);
    // true when a row was written.
    bool insert(const VideoDetail& video);
    std::optional<VideoDetail> selectBySign(const QString& sign);
    std::vector<VideoDetail> selectAll();
    // Every row, or none when the table cannot be read (no database, a damaged file): for callers
    // that must not take an unreadable library for an empty one.
    std::optional<std::vector<VideoDetail>> selectAllIfReadable();
    bool deleteBySign(const QString& sign);
    bool deleteAll();

    QString databasePath() const { return m_db.databasePath(); }
    // The file every program uses: application support + "/Corvex.db".
    static QString defaultDatabasePath();
    // Puts a writable copy of the seed at `path` unless a file is already there; false (after a
    // console line) when the copy cannot be made.
    static bool copySeed(const QString& path);

private:
    std::optional<VideoDetail> selectBySignLocked(const QString& sign);
    // Appends the rows read; false when the query failed at any point.
    bool readAllLocked(std::vector<VideoDetail>& videos);
    // Runs `body` inside a write transaction taken at its start, committed when `body` succeeds and
    // rolled back otherwise; false when the transaction cannot be had or committed.
    template <typename Body> bool writing(Body body);

    std::mutex m_mutex;
    Database m_db;
};

#pragma once

#include "ImportVideoStatus.h"
#include "VideoDetail.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class LocalVideoDBManager;
struct ImportRegistry;

// Brings video files from anywhere on the disk into the local library: copies each into the
// library folder, identifies it by its sign, refuses one already in the library, and stores the
// server's record of it or one built from the file itself (duration, size, picture size, frame
// rate, data rate, sound, a thumbnail). Owns the library folder, which downloads also write into.
class LocalLibraryModel : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const QString& sign, ImportVideoStatus status)>;
    using DetailCompletion = std::function<void(std::optional<VideoDetail>)>;
    // Asks the server for its record of a sign; called on the main thread, answers once there.
    using DetailLookup = std::function<void(const QString& sign, DetailCompletion completion)>;

    static constexpr std::chrono::milliseconds defaultDetailTimeout{60000};

    // The application's model: the shared database, the shared server client, the library folder
    // and thumbnails in application support.
    static LocalLibraryModel& shared();
    // <application support>/DownloadVideo, created (with its parents) on first use; a failure to
    // create it is ignored here and met again by whoever writes into it.
    static QString downloadDirectory();

    // `detailTimeout` bounds the wait for a server that never answers; the file's own record is
    // stored after it.
    LocalLibraryModel(LocalVideoDBManager& database, DetailLookup detailLookup, const QString& libraryFolder,
                      const QString& thumbnailFolder,
                      std::chrono::milliseconds detailTimeout = defaultDetailTimeout,
                      QObject* parent = nullptr);
    ~LocalLibraryModel() override;

    QString libraryFolder() const { return m_libraryFolder; }
    QString thumbnailFolder() const { return m_thumbnailFolder; }

    // Imports the file at `source` (asking the server first when `lookUpOnServer`) and returns at
    // once. `completion` is called exactly once per call, on a thread of the import's own (never
    // on the caller's stack): isExist for a sign already stored (nothing copied), complete once
    // the record is stored, failure otherwise (nothing stored; a copy that failed is removed).
    // A copy and its thumbnail get their names only once the row naming them is written; until
    // then they are hidden files beside them.
    virtual void importVideo(const QUrl& source, bool lookUpOnServer, Completion completion);
    // For quitting: every import still running ends at its next step (a file copy in progress is
    // finished first) and reports failure, leaving nothing behind, unless its row is written
    // already; it no longer waits for the server. Later imports fail at once.
    void cancelImports();
    // What a killed process left of its imports: the hidden files of a copy or thumbnail whose row
    // was written are put in place, every other one is removed. Run at start, before any import.
    void finishInterruptedImports();

    // The title of an imported file: the name without its extension ("clip.mp4" gives "clip").
    // The first occurrence of the extension is taken out together with the character before the
    // end, so "mp4clip.mp4" gives "clip.mp"; a name without extension stays whole.
    static QString titleName(const QString& fileName, const QString& extension);
    // Width and height reduced by their greatest common divisor, as "16:9".
    static QString ratioText(qint64 width, qint64 height);

private:
    LocalVideoDBManager& m_database;
    DetailLookup m_detailLookup;
    QString m_libraryFolder;
    QString m_thumbnailFolder;
    std::chrono::milliseconds m_detailTimeout;
    std::shared_ptr<ImportRegistry> m_registry;
};

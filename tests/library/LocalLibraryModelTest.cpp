#include "LocalLibraryModel.h"
#include "FileSign.h"
#include "ImportFixtures.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "MainThread.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMutex>
#include <memory>

using namespace std::chrono_literals;

namespace {
struct Report {
    QString sign;
    ImportVideoStatus status = ImportVideoStatus::failure;
};

// Every completion of one import, however many arrive, and whether any came on the main thread.
struct Reports {
    QMutex mutex;
    QList<Report> list;
    bool onMainThread = false;

    LocalLibraryModel::Completion completion() {
        return [this](const QString& sign, ImportVideoStatus status) {
            QMutexLocker lock(&mutex);
            list.append({sign, status});
            onMainThread = onMainThread || MainThread::isCurrent();
        };
    }
    int count() {
        QMutexLocker lock(&mutex);
        return int(list.size());
    }
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString& folder, const QStringList& filters = {}) {
    return QDir(folder).entryList(filters, QDir::Files | QDir::Hidden | QDir::System);
}
} // namespace

class LocalLibraryModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clips = std::make_unique<TestHome>();
        hd = ImportFixtures::hdClip(clips->path());
        square = ImportFixtures::squareClip(clips->path());
        audio = ImportFixtures::audioOnly(clips->path());
        cover = ImportFixtures::audioWithCover(clips->path());
        phone = ImportFixtures::rotatedPhoneClip(clips->path());
        QDir(clips->path()).mkpath("one");
        QDir(clips->path()).mkpath("two");
        firstA = ImportFixtures::clip(clips->file("one/a.mp4"), 320, 240, 1.2, 1);
        secondA = ImportFixtures::clip(clips->file("two/a.mp4"), 320, 240, 1.2, 2);
        spaced = ImportFixtures::clip(clips->file("my holiday clip.mp4"), 640, 360, 1.5, 3);
    }
    static void TearDownTestSuite() { clips.reset(); }

    void SetUp() override {
        database = std::make_unique<LocalVideoDBManager>(home.file("Corvex.db"));
        QDir(home.path()).mkpath("support/DownloadVideo");
        library = home.file("support/DownloadVideo");
        thumbnails = home.file("support");
        model = makeModel(LocalLibraryModel::DetailLookup{});
    }

    std::unique_ptr<LocalLibraryModel> makeModel(LocalLibraryModel::DetailLookup lookup,
                                                 std::chrono::milliseconds timeout = 60s) {
        return std::make_unique<LocalLibraryModel>(*database, std::move(lookup), library, thumbnails,
                                                   timeout);
    }

    // Imports `path` and waits for its report, then a little longer to catch a second one.
    Report importAndWait(LocalLibraryModel& with, const QUrl& source, bool server, Reports& reports) {
        with.importVideo(source, server, reports.completion());
        EXPECT_TRUE(TestHome::waitUntil([&] { return reports.count() > 0; }, 30000ms));
        TestHome::spin(100ms);
        EXPECT_EQ(reports.count(), 1);
        EXPECT_FALSE(reports.onMainThread);
        return reports.count() ? reports.list.first() : Report{};
    }
    Report importAndWait(const QString& path, bool server = false) {
        Reports reports;
        return importAndWait(*model, QUrl::fromLocalFile(path), server, reports);
    }

    TestHome home;
    std::unique_ptr<LocalVideoDBManager> database;
    QString library;
    QString thumbnails;
    std::unique_ptr<LocalLibraryModel> model;

    static inline std::unique_ptr<TestHome> clips;
    static inline QString hd, square, audio, cover, phone, firstA, secondA, spaced;
};

TEST_F(LocalLibraryModelTest, TitleAndRatioRules) {
    EXPECT_EQ(LocalLibraryModel::titleName("clip.mp4", "mp4"), "clip");
    EXPECT_EQ(LocalLibraryModel::titleName("mp4clip.mp4", "mp4"), "clip.mp");
    EXPECT_EQ(LocalLibraryModel::titleName("README", ""), "README");
    EXPECT_EQ(LocalLibraryModel::titleName("my holiday clip.mov", "mov"), "my holiday clip");
    EXPECT_EQ(LocalLibraryModel::ratioText(1920, 1080), "16:9");
    EXPECT_EQ(LocalLibraryModel::ratioText(1080, 1080), "1:1");
    EXPECT_EQ(LocalLibraryModel::ratioText(720, 1280), "9:16");
    EXPECT_EQ(LocalLibraryModel::ratioText(1366, 768), "683:384");
}

TEST_F(LocalLibraryModelTest, RecordBuiltFromTheFile) {
    ASSERT_FALSE(hd.isEmpty());
    const Report report = importAndWait(hd);
    EXPECT_EQ(report.status, ImportVideoStatus::complete);
    EXPECT_EQ(report.sign, FileSign::fileSign(hd));

    const auto record = database->selectBySign(report.sign);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->id, 0);
    EXPECT_EQ(record->title, "hd");
    EXPECT_EQ(record->time, 2000);
    EXPECT_EQ(record->ratio, "16:9");
    EXPECT_EQ(record->width, 1920);
    EXPECT_EQ(record->height, 1080);
    EXPECT_EQ(record->frame, 25);
    EXPECT_GT(record->rate, 0);
    EXPECT_EQ(record->audio, 1);
    EXPECT_EQ(record->size, QFileInfo(hd).size());
    EXPECT_EQ(record->preurl, "");
    EXPECT_EQ(record->imgsize, 0);

    // The url is the copy's file-URL text; the copy holds the same bytes as the source.
    EXPECT_TRUE(record->url.startsWith("file://"));
    const auto copy = LocalVideoPath::fromStoredUrl(record->url);
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, QDir(library).filePath("hd.mp4"));
    EXPECT_EQ(contents(*copy), contents(hd));

    // The thumbnail is a PNG of the full picture beside the library folder.
    EXPECT_TRUE(record->imgurl.startsWith("file://"));
    const auto thumbnail = LocalVideoPath::fromStoredUrl(record->imgurl);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(QFileInfo(*thumbnail).absolutePath(), QFileInfo(thumbnails).absoluteFilePath());
    EXPECT_TRUE(thumbnail->endsWith(".png"));
    EXPECT_EQ(QFileInfo(*thumbnail).completeBaseName().size(), 10);
    EXPECT_EQ(QImage(*thumbnail, "png").size(), QSize(1920, 1080));

    const Report squareReport = importAndWait(square);
    ASSERT_EQ(squareReport.status, ImportVideoStatus::complete);
    const auto squareRecord = database->selectBySign(squareReport.sign);
    ASSERT_TRUE(squareRecord);
    EXPECT_EQ(squareRecord->ratio, "1:1");
    EXPECT_EQ(squareRecord->audio, 0);
    EXPECT_EQ(squareRecord->time, 2000);
}

TEST_F(LocalLibraryModelTest, DuplicateCopiesNothing) {
    ASSERT_EQ(importAndWait(square).status, ImportVideoStatus::complete);
    const QStringList before = filesIn(library);
    const QStringList thumbnailsBefore = filesIn(thumbnails, {"*.png"});

    const Report again = importAndWait(square);
    EXPECT_EQ(again.status, ImportVideoStatus::isExist);
    EXPECT_EQ(again.sign, FileSign::fileSign(square));
    EXPECT_EQ(filesIn(library), before);
    EXPECT_EQ(filesIn(thumbnails, {"*.png"}), thumbnailsBefore);
    EXPECT_EQ(database->selectAll().size(), 1u);
}

TEST_F(LocalLibraryModelTest, TwoFilesWithOneNameGetTwoDestinations) {
    ASSERT_FALSE(firstA.isEmpty());
    ASSERT_FALSE(secondA.isEmpty());
    ASSERT_NE(FileSign::fileSign(firstA), FileSign::fileSign(secondA));
    // Both started before either finished: the first call keeps the name.
    Reports first, second;
    model->importVideo(QUrl::fromLocalFile(firstA), false, first.completion());
    model->importVideo(QUrl::fromLocalFile(secondA), false, second.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return first.count() && second.count(); }, 30000ms));
    ASSERT_EQ(first.list.first().status, ImportVideoStatus::complete);
    ASSERT_EQ(second.list.first().status, ImportVideoStatus::complete);

    const auto firstPath =
        LocalVideoPath::fromStoredUrl(database->selectBySign(first.list.first().sign)->url);
    const auto secondPath =
        LocalVideoPath::fromStoredUrl(database->selectBySign(second.list.first().sign)->url);
    ASSERT_TRUE(firstPath && secondPath);
    EXPECT_EQ(QFileInfo(*firstPath).fileName(), "a.mp4");
    EXPECT_NE(*secondPath, *firstPath);
    EXPECT_EQ(QFileInfo(*secondPath).suffix(), "mp4");
    EXPECT_EQ(QFileInfo(*secondPath).completeBaseName().size(), 10);
    EXPECT_EQ(contents(*firstPath), contents(firstA));
    EXPECT_EQ(contents(*secondPath), contents(secondA));
    EXPECT_EQ(database->selectBySign(second.list.first().sign)->title, "a");
}

TEST_F(LocalLibraryModelTest, SoundWithoutPictureIsRefused) {
    ASSERT_FALSE(audio.isEmpty());
    ASSERT_FALSE(cover.isEmpty());
    for (const QString& path : {audio, cover}) {
        const Report report = importAndWait(path);
        EXPECT_EQ(report.status, ImportVideoStatus::failure) << path.toStdString();
        EXPECT_EQ(report.sign, FileSign::fileSign(path));
        EXPECT_FALSE(database->selectBySign(report.sign));
    }
    EXPECT_TRUE(database->selectAll().empty());
}

TEST_F(LocalLibraryModelTest, RotatedClipGetsAnUprightThumbnail) {
    ASSERT_FALSE(phone.isEmpty());
    const Report report = importAndWait(phone);
    ASSERT_EQ(report.status, ImportVideoStatus::complete);
    const auto record = database->selectBySign(report.sign);
    ASSERT_TRUE(record);
    // The stored size is the picture as encoded; the thumbnail is what a viewer shows.
    EXPECT_EQ(record->width, 320);
    EXPECT_EQ(record->height, 180);
    const QImage thumbnail(LocalVideoPath::fromStoredUrl(record->imgurl).value_or(QString()));
    EXPECT_EQ(thumbnail.size(), QSize(180, 320));
    const QImage reference = ImportFixtures::referenceFrame(phone, 1.0, home.path());
    ASSERT_EQ(reference.size(), QSize(180, 320));
    EXPECT_EQ(qRed(thumbnail.pixel(20, 160)) > 128, qRed(reference.pixel(20, 160)) > 128);
    EXPECT_EQ(qRed(thumbnail.pixel(160, 160)) > 128, qRed(reference.pixel(160, 160)) > 128);
}

TEST_F(LocalLibraryModelTest, EveryCallReportsOnceWhenNothingCanBeSigned) {
    TestHome scratch;
    QDir(scratch.path()).mkpath("folder.mp4");
    struct Case {
        const char* what;
        QUrl source;
    };
    const QList<Case> cases = {
        {"no path components", QUrl("file:///")},
        {"empty url", QUrl()},
        {"not a local file", QUrl("https://127.0.0.1/x.mp4")},
        {"missing file", QUrl::fromLocalFile(scratch.file("missing.mp4"))},
        {"a folder", QUrl::fromLocalFile(scratch.file("folder.mp4"))},
    };
    for (const Case& c : cases) {
        Reports reports;
        const Report report = importAndWait(*model, c.source, true, reports);
        EXPECT_EQ(report.status, ImportVideoStatus::failure) << c.what;
        EXPECT_EQ(report.sign, "") << c.what;
    }
    // Nothing was claimed or left behind by any of them.
    EXPECT_TRUE(filesIn(library).isEmpty());
    EXPECT_TRUE(filesIn(thumbnails, {"*.png"}).isEmpty());
}

TEST_F(LocalLibraryModelTest, ServerThatFailsAtOnceOrNeverAnswers) {
    // Fails before requestVideoDetail returns.
    int asked = 0;
    auto failing = makeModel([&asked](const QString&, LocalLibraryModel::DetailCompletion completion) {
        EXPECT_TRUE(MainThread::isCurrent());
        ++asked;
        completion(std::nullopt);
    });
    Reports first;
    EXPECT_EQ(importAndWait(*failing, QUrl::fromLocalFile(firstA), true, first).status,
              ImportVideoStatus::complete);
    EXPECT_EQ(asked, 1);

    // Keeps the completion and never calls it: the time-out stores the file's record.
    std::vector<LocalLibraryModel::DetailCompletion> held;
    auto silent =
        makeModel([&held](const QString&,
                          LocalLibraryModel::DetailCompletion completion) { held.push_back(completion); },
                  300ms);
    Reports second;
    const Report report = importAndWait(*silent, QUrl::fromLocalFile(secondA), true, second);
    EXPECT_EQ(report.status, ImportVideoStatus::complete);
    ASSERT_EQ(held.size(), 1u);
    const auto stored = database->selectBySign(report.sign);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->url.startsWith("file://"));

    // An answer after the time-out changes nothing and reports nothing more.
    VideoDetail late;
    late.sign = report.sign;
    late.title = "late";
    held.front()(late);
    TestHome::spin(200ms);
    EXPECT_EQ(second.count(), 1);
    EXPECT_EQ(database->selectBySign(report.sign)->title, "a");
}

TEST_F(LocalLibraryModelTest, ServerRecordOfAnotherSignIsNotStored) {
    auto lying = makeModel([](const QString&, LocalLibraryModel::DetailCompletion completion) {
        VideoDetail other;
        other.sign = "0123456789abcdef0123456789abcdef";
        other.title = "someone else's video";
        completion(other);
    });
    Reports reports;
    const Report report = importAndWait(*lying, QUrl::fromLocalFile(square), true, reports);
    ASSERT_EQ(report.status, ImportVideoStatus::complete);
    EXPECT_FALSE(database->selectBySign("0123456789abcdef0123456789abcdef"));
    const auto stored = database->selectBySign(report.sign);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->title, "square");
    EXPECT_EQ(stored->ratio, "1:1");
}

TEST_F(LocalLibraryModelTest, FailedCopyStoresNothingAndLeavesNothing) {
    // The library folder's path is taken by a plain file, so no copy can be made there.
    QFile::remove(home.file("blocked"));
    QFile blocker(home.file("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LocalLibraryModel blocked(*database, {}, home.file("blocked"), thumbnails);
    for (bool server : {false, true}) {
        Reports reports;
        const Report report = importAndWait(blocked, QUrl::fromLocalFile(square), server, reports);
        EXPECT_EQ(report.status, ImportVideoStatus::failure);
        EXPECT_EQ(report.sign, FileSign::fileSign(square));
    }
    EXPECT_TRUE(database->selectAll().empty());
    EXPECT_TRUE(filesIn(thumbnails, {"*.png"}).isEmpty());
    EXPECT_EQ(QFileInfo(home.file("blocked")).size(), 0);
}

TEST_F(LocalLibraryModelTest, ManyImportsAtOnceEachReportOnce) {
    // The same file five times and three different ones: each call reports once, one record per
    // sign, and no copy is left without a record.
    std::vector<std::unique_ptr<Reports>> all;
    const QStringList sources = {square, square, firstA, square, secondA, square, spaced, square};
    for (const QString& source : sources) {
        all.push_back(std::make_unique<Reports>());
        model->importVideo(QUrl::fromLocalFile(source), false, all.back()->completion());
    }
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return std::all_of(all.begin(), all.end(), [](const auto& r) { return r->count() > 0; }); },
        60000ms));
    TestHome::spin(200ms);
    int complete = 0;
    for (const auto& reports : all) {
        EXPECT_EQ(reports->count(), 1);
        complete += reports->list.first().status == ImportVideoStatus::complete;
    }
    EXPECT_EQ(complete, 4);
    const auto records = database->selectAll();
    EXPECT_EQ(records.size(), 4u);
    EXPECT_EQ(filesIn(library).size(), 4);
    for (const VideoDetail& record : records)
        EXPECT_TRUE(QFileInfo::exists(LocalVideoPath::fromStoredUrl(record.url).value_or(QString())));
}

// What a killed import left: the hidden parts whose row was written are put in place, the others
// go; nothing else in either folder is touched.
TEST_F(LocalLibraryModelTest, AStartFinishesOrRemovesWhatKilledImportsLeft) {
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(QDir(library).filePath(".kept.mp4.importing"), "recorded video");
    write(QDir(thumbnails).filePath(".KeptThumb1.png.importing"), "recorded thumbnail");
    write(QDir(library).filePath(".lost.mp4.importing"), "unrecorded video");
    write(QDir(thumbnails).filePath(".LostThumb1.png.importing"), "unrecorded thumbnail");
    write(QDir(library).filePath("user.mp4"), "the user's");
    write(QDir(library).filePath(".user.mp4.importing"), "a row's file that is there already");
    VideoDetail kept;
    kept.sign = "kept";
    kept.url = LocalVideoPath::fileUrlText(QDir(library).filePath("kept.mp4"));
    kept.imgurl = LocalVideoPath::fileUrlText(QDir(thumbnails).filePath("KeptThumb1.png"));
    ASSERT_TRUE(database->insert(kept));
    VideoDetail user;
    user.sign = "user";
    user.url = QDir(library).filePath("user.mp4"); // a plain path, as the server's records keep
    ASSERT_TRUE(database->insert(user));

    model->finishInterruptedImports();
    EXPECT_EQ(filesIn(library), (QStringList{"kept.mp4", "user.mp4"}));
    EXPECT_EQ(contents(QDir(library).filePath("kept.mp4")), "recorded video");
    EXPECT_EQ(contents(QDir(library).filePath("user.mp4")), "the user's");
    EXPECT_EQ(filesIn(thumbnails, {"*.png*"}), QStringList{"KeptThumb1.png"});
}

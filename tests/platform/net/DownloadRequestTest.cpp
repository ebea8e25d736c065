#include "DownloadRequest.h"
#include "DownloadSession.h"
#include "ProtocolTestServer.h"
#include "ResumeData.h"
#include "TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <memory>

namespace {
QByteArray randomBody(qsizetype size) {
    QByteArray body(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (qsizetype i = 0; i < size; ++i)
        body[i] = char(generator.bounded(256));
    return body;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Collects the responses of one request.
struct Outcome {
    std::vector<DownloadResponse> responses;
    std::vector<DownloadProgress> progress;
    void attach(DownloadRequest* request) {
        request->setProgressHandler([this](const DownloadProgress& p) { progress.push_back(p); });
        request->addResponseHandler([this](const DownloadResponse& r) { responses.push_back(r); });
    }
    bool wait(int seconds = 10) {
        return TestHome::waitUntil([&] { return !responses.empty(); }, std::chrono::seconds(seconds));
    }
};

class DownloadRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        partials = home.file("caches");
        QDir().mkpath(partials);
        session = std::make_unique<DownloadSession>(partials, 0);
    }
    QStringList partialFiles() const { return QDir(partials).entryList(QDir::Files); }

    TestHome home;
    ProtocolTestServer server;
    QString partials;
    std::unique_ptr<DownloadSession> session;
};
} // namespace

TEST_F(DownloadRequestTest, AWholeTransferLandsAtItsDestinationWithOneResponse) {
    const QByteArray body = randomBody(300000);
    const QUrl url = server.serveFile("a.mp4", body);
    const QString destination = home.file("library/deep/a.mp4");
    int asked = 0;
    Outcome outcome;
    DownloadRequest* request = session->download(url, [&] {
        ++asked;
        return destination;
    });
    outcome.attach(request);
    ASSERT_TRUE(outcome.wait());
    TestHome::spin(std::chrono::milliseconds(50));
    ASSERT_EQ(outcome.responses.size(), 1u);
    const DownloadResponse& response = outcome.responses.front();
    EXPECT_TRUE(response.success);
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_EQ(response.destinationPath, destination);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(destination), body);
    EXPECT_TRUE(partialFiles().isEmpty());
    ASSERT_FALSE(outcome.progress.empty());
    EXPECT_EQ(outcome.progress.back().completedUnitCount, body.size());
    EXPECT_EQ(outcome.progress.back().totalUnitCount, body.size());
    const auto received = server.requests().constLast();
    EXPECT_EQ(received.header("Accept-Encoding"), "identity");
    EXPECT_TRUE(received.header("Range").isEmpty());
}

TEST_F(DownloadRequestTest, ACancelledTransferResumesWithRangeAndEndsByteIdentical) {
    const QByteArray body = randomBody(400000);
    const QUrl url = server.serveFile("b.mp4", body);
    server.setFileRate(400000); // 20 KB every 50 ms
    Outcome first;
    DownloadRequest* request = session->download(url, [&] { return home.file("b.mp4"); });
    first.attach(request);
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return !first.progress.empty() && first.progress.back().completedUnitCount > 50000; }));
    request->cancel();
    request->cancel(); // a second cancel changes nothing
    ASSERT_TRUE(first.wait());
    TestHome::spin(std::chrono::milliseconds(50));
    ASSERT_EQ(first.responses.size(), 1u);
    EXPECT_FALSE(first.responses.front().success);
    EXPECT_TRUE(first.responses.front().cancelled);
    ASSERT_TRUE(first.responses.front().resumeData.has_value());
    const auto resume = ResumeData::decode(*first.responses.front().resumeData);
    ASSERT_TRUE(resume.has_value());
    EXPECT_GT(resume->bytes, 0);
    EXPECT_LT(resume->bytes, body.size());
    EXPECT_EQ(readFile(resume->partialPath), body.left(resume->bytes));
    EXPECT_FALSE(QFileInfo::exists(home.file("b.mp4")));

    server.setFileRate(0);
    server.clearRequests();
    Outcome second;
    second.attach(session->download(*resume, [&] { return home.file("b.mp4"); }));
    ASSERT_TRUE(second.wait());
    ASSERT_TRUE(second.responses.front().success);
    EXPECT_EQ(second.responses.front().statusCode, 206);
    EXPECT_EQ(readFile(home.file("b.mp4")), body);
    EXPECT_FALSE(QFileInfo::exists(resume->partialPath));
    const auto received = server.requests().constFirst();
    EXPECT_EQ(received.header("Range"), "bytes=" + QByteArray::number(resume->bytes) + "-");
    EXPECT_EQ(received.header("If-Range"), resume->validator().toLatin1());
    // Progress counts the bytes the transfer resumed from.
    EXPECT_GE(second.progress.front().completedUnitCount, resume->bytes);
    EXPECT_EQ(second.progress.back().totalUnitCount, body.size());
}

TEST_F(DownloadRequestTest, AResumeTheServerRefusesStartsTheFileOver) {
    const QByteArray body = randomBody(100000);
    const QUrl url = server.serveFile("c.mp4", body);
    // A partial body of the old file: the validator no longer holds, so the server sends it all.
    const QString partial = partials + "/old.partial";
    {
        QFile file(partial);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'x'));
    }
    ResumeData stale{url, partial, 5000, "\"old\"", {}};
    Outcome changed;
    changed.attach(session->download(stale, [&] { return home.file("c1.mp4"); }));
    ASSERT_TRUE(changed.wait());
    EXPECT_EQ(changed.responses.front().statusCode, 200);
    EXPECT_EQ(readFile(home.file("c1.mp4")), body);

    // A partial body as long as the file with a validator that holds: 416, then the whole file.
    {
        QFile file(partial);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
    }
    const QByteArray etag = '"' + QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex() + '"';
    ResumeData complete{url, partial, body.size(), QString::fromLatin1(etag), {}};
    server.clearRequests();
    Outcome whole;
    whole.attach(session->download(complete, [&] { return home.file("c2.mp4"); }));
    ASSERT_TRUE(whole.wait());
    ASSERT_TRUE(whole.responses.front().success);
    EXPECT_EQ(readFile(home.file("c2.mp4")), body);
    ASSERT_EQ(server.requestCount(), 2);
    EXPECT_TRUE(server.requests().at(1).header("Range").isEmpty());
    EXPECT_TRUE(partialFiles().isEmpty());
}

TEST_F(DownloadRequestTest, ResumeDataNamingAFileOutsideThePartialFolderNeverTouchesIt) {
    const QByteArray body = randomBody(20000);
    const QUrl url = server.serveFile("d.mp4", body);
    const QString precious = home.file("precious.partial");
    {
        QFile file(precious);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me whole");
    }
    Outcome outcome;
    outcome.attach(
        session->download(ResumeData{url, precious, 4, "\"x\"", {}}, [&] { return home.file("d.mp4"); }));
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(readFile(precious), "keep me whole");
    EXPECT_EQ(readFile(home.file("d.mp4")), body);
}

TEST_F(DownloadRequestTest, FailuresOfTheServerAndTheNetwork) {
    const QByteArray body = randomBody(200000);
    const QUrl url = server.serveFile("e.mp4", body);

    // A dropped connection mid-body fails with resume data; the resume completes the file.
    server.setFailure(ProtocolTestServer::Failure::dropMidBody, "e.mp4");
    server.setDropAfter(70000);
    Outcome dropped;
    dropped.attach(session->download(url, [&] { return home.file("e.mp4"); }));
    ASSERT_TRUE(dropped.wait());
    ASSERT_FALSE(dropped.responses.front().success);
    EXPECT_FALSE(dropped.responses.front().cancelled);
    ASSERT_TRUE(dropped.responses.front().resumeData.has_value());
    const auto resume = ResumeData::decode(*dropped.responses.front().resumeData);
    ASSERT_TRUE(resume.has_value());
    EXPECT_EQ(resume->bytes, 70000);
    server.resetSwitches();
    Outcome resumed;
    resumed.attach(session->download(*resume, [&] { return home.file("e.mp4"); }));
    ASSERT_TRUE(resumed.wait());
    EXPECT_EQ(readFile(home.file("e.mp4")), body);

    // An error page that arrives whole is a finished body like any other (the sign check judges it).
    server.setFailure(ProtocolTestServer::Failure::serverError, "e.mp4");
    Outcome page;
    page.attach(session->download(url, [&] { return home.file("page.mp4"); }));
    ASSERT_TRUE(page.wait());
    EXPECT_TRUE(page.responses.front().success);
    EXPECT_EQ(page.responses.front().statusCode, 500);
    EXPECT_EQ(readFile(home.file("page.mp4")), "Internal Server Error");

    // A server that stalls past the inactivity time-out fails the transfer.
    server.setFailure(ProtocolTestServer::Failure::stall, "e.mp4");
    DownloadSession quick(partials, 300);
    Outcome stalled;
    stalled.attach(quick.download(url, [&] { return home.file("stalled.mp4"); }));
    ASSERT_TRUE(stalled.wait(5));
    EXPECT_FALSE(stalled.responses.front().success);
    EXPECT_FALSE(QFileInfo::exists(home.file("stalled.mp4")));

    // Nobody listening on the port.
    const QUrl closed("http://127.0.0.1:1/files/none.mp4");
    Outcome refused;
    refused.attach(session->download(closed, [&] { return home.file("none.mp4"); }));
    ASSERT_TRUE(refused.wait());
    EXPECT_FALSE(refused.responses.front().success);
    EXPECT_FALSE(refused.responses.front().resumeData.has_value());
    TestHome::spin(std::chrono::milliseconds(50));
    EXPECT_TRUE(partialFiles().isEmpty());
}

TEST_F(DownloadRequestTest, EveryHandlerGetsTheOneResponseEvenWhenAddedLate) {
    const QUrl url = server.serveFile("f.mp4", randomBody(1000));
    QPointer<DownloadRequest> request = session->download(url, [&] { return home.file("f.mp4"); });
    int calls = 0;
    request->addResponseHandler([&](const DownloadResponse& r) {
        calls += r.success ? 1 : 100;
        // Added while the response is being delivered: it still gets it, at the next turn.
        request->addResponseHandler([&](const DownloadResponse& late) { calls += late.success ? 10 : 100; });
    });
    ASSERT_TRUE(TestHome::waitUntil([&] { return calls == 11; }));
    TestHome::spin(std::chrono::milliseconds(50));
    EXPECT_EQ(calls, 11);
    EXPECT_TRUE(request.isNull()); // gone once it has answered

    // When quitting, a cancelled transfer's response is handled before cancel's caller goes on.
    server.setFailure(ProtocolTestServer::Failure::stall, "f.mp4");
    DownloadRequest* stalled = session->download(url, [&] { return home.file("g.mp4"); });
    bool handled = false;
    stalled->addResponseHandler([&](const DownloadResponse& r) { handled = r.cancelled; });
    TestHome::spin(std::chrono::milliseconds(50));
    stalled->cancel();
    EXPECT_FALSE(handled);
    stalled->deliverPendingResponse();
    EXPECT_TRUE(handled);
}

namespace {
using Overrun = ProtocolTestServer::Overrun;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString etagOf(const QByteArray& body) {
    return QString::fromLatin1('"' + QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex() + '"');
}
} // namespace

// Zeros after the file: counted in the Content-Length, without a length (the connection closes
// after them), and without end. However they come, the transfer stops at the expected size.
TEST_F(DownloadRequestTest, ATransferPastItsExpectedSizeStopsAndKeepsNothing) {
    const QByteArray body = randomBody(300000);
    const QUrl url = server.serveFile("o.mp4", body);
    constexpr qint64 extra = 64 * 1024 * 1024;
    for (const Overrun overrun : {Overrun::announced, Overrun::unannounced, Overrun::endless}) {
        SCOPED_TRACE(int(overrun));
        server.setOverrun(overrun, extra, "o.mp4");
        const qint64 sentBefore = server.overrunBytesSent();
        int asked = 0;
        Outcome outcome;
        outcome.attach(session->download(
            url,
            [&] {
                ++asked;
                return home.file("o.mp4");
            },
            body.size()));
        ASSERT_TRUE(outcome.wait(60));
        TestHome::spin(std::chrono::milliseconds(100)); // the server notices the client has gone
        const DownloadResponse& response = outcome.responses.front();
        EXPECT_FALSE(response.success);
        EXPECT_FALSE(response.cancelled);
        EXPECT_EQ(response.errorText, "the server sent more than the video's size (300000 bytes)");
        EXPECT_FALSE(response.resumeData.has_value());
        EXPECT_EQ(asked, 0);
        EXPECT_FALSE(QFileInfo::exists(home.file("o.mp4")));
        EXPECT_TRUE(partialFiles().isEmpty());
        for (const DownloadProgress& progress : outcome.progress)
            EXPECT_LE(progress.completedUnitCount, body.size());
        // Only what was in flight when the client went was sent past the file: a few MB on loopback.
        EXPECT_LT(server.overrunBytesSent() - sentBefore, body.size() + extra / 2);
    }

    // Exactly the expected size is a whole body.
    server.resetSwitches();
    Outcome exact;
    exact.attach(session->download(
        url, [&] { return home.file("o.mp4"); }, body.size()));
    ASSERT_TRUE(exact.wait());
    EXPECT_TRUE(exact.responses.front().success);
    EXPECT_EQ(readFile(home.file("o.mp4")), body);
}

TEST_F(DownloadRequestTest, TheResumedPartCountsTowardTheExpectedSize) {
    const QByteArray body = randomBody(300000);
    const QUrl url = server.serveFile("r.mp4", body);
    const QString partial = partials + "/held.partial";
    writeFile(partial, body.left(200000));
    // The rest of the file and 50000 zeros: within the size on their own, past it with the part held.
    server.setOverrun(Overrun::unannounced, 50000, "r.mp4");
    Outcome resumed;
    resumed.attach(session->download(
        ResumeData{url, partial, 200000, etagOf(body), {}}, [&] { return home.file("r.mp4"); }, body.size()));
    ASSERT_TRUE(resumed.wait());
    EXPECT_EQ(server.requests().constLast().header("Range"), "bytes=200000-");
    EXPECT_FALSE(resumed.responses.front().success);
    EXPECT_EQ(resumed.responses.front().errorText,
              "the server sent more than the video's size (300000 bytes)");
    EXPECT_FALSE(resumed.responses.front().resumeData.has_value());
    EXPECT_FALSE(QFileInfo::exists(home.file("r.mp4")));
    EXPECT_TRUE(partialFiles().isEmpty());

    // A part already past the size (left by a run without a bound) is given up without asking.
    writeFile(partial, QByteArray(400000, 'x'));
    server.clearRequests();
    Outcome past;
    past.attach(session->download(
        ResumeData{url, partial, 400000, etagOf(body), {}}, [&] { return home.file("r.mp4"); }, body.size()));
    ASSERT_TRUE(past.wait());
    EXPECT_FALSE(past.responses.front().success);
    EXPECT_FALSE(past.responses.front().resumeData.has_value());
    EXPECT_TRUE(partialFiles().isEmpty());
    TestHome::spin(std::chrono::milliseconds(50));
    EXPECT_EQ(server.requestCount(), 0);
}

// A 206 whose Content-Range names the file's length, then runs on: without a length of its own,
// and with a Content-Length that counts the zeros. Either way it sent more than it announced.
TEST_F(DownloadRequestTest, WithoutAnExpectedSizeTheAnnouncedLengthBounds) {
    const QByteArray body = randomBody(300000);
    const QUrl url = server.serveFile("a.mp4", body);
    const QString partial = partials + "/held.partial";
    for (const Overrun overrun : {Overrun::unannounced, Overrun::announced}) {
        SCOPED_TRACE(int(overrun));
        writeFile(partial, body.left(100000));
        server.setOverrun(overrun, 1024 * 1024, "a.mp4");
        Outcome outcome;
        outcome.attach(session->download(ResumeData{url, partial, 100000, etagOf(body), {}},
                                         [&] { return home.file("a.mp4"); }));
        ASSERT_TRUE(outcome.wait());
        EXPECT_EQ(outcome.responses.front().statusCode, 206);
        EXPECT_FALSE(outcome.responses.front().success);
        EXPECT_EQ(outcome.responses.front().errorText,
                  "the server sent more than it announced (300000 bytes)");
        EXPECT_FALSE(outcome.responses.front().resumeData.has_value());
        EXPECT_FALSE(QFileInfo::exists(home.file("a.mp4")));
        EXPECT_TRUE(partialFiles().isEmpty());
    }
}

TEST_F(DownloadRequestTest, WithoutAnyLengthTheFreeSpaceReserveBounds) {
    const QByteArray body = randomBody(300000);
    const QUrl url = server.serveFile("u.mp4", body);
    // A disk with this much free before the transfer; what the partial bodies hold comes off it.
    qint64 freeBefore = DownloadSession::defaultFreeSpaceReserve + 3'000'000;
    QStringList measured;
    session->setFreeSpaceFunction([&](const QString& path) {
        measured.append(path);
        qint64 held = 0;
        for (const QFileInfo& info : QDir(partials).entryInfoList(QDir::Files))
            held += info.size();
        return freeBefore - held;
    });

    server.setOverrun(Overrun::endless, 0, "u.mp4");
    Outcome endless;
    endless.attach(session->download(url, [&] { return home.file("u.mp4"); }));
    ASSERT_TRUE(endless.wait(60));
    EXPECT_FALSE(endless.responses.front().success);
    EXPECT_EQ(endless.responses.front().errorText, "not enough free disk space (keep 1 GiB free)");
    EXPECT_FALSE(endless.responses.front().resumeData.has_value());
    EXPECT_TRUE(partialFiles().isEmpty());
    ASSERT_FALSE(endless.progress.empty());
    EXPECT_LE(endless.progress.back().completedUnitCount, 3'000'000);
    ASSERT_FALSE(measured.isEmpty());
    for (const QString& path : std::as_const(measured))
        EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(partials).absolutePath());

    // A body without a length that fits lands whole, the disk measured every few MB, not per chunk.
    freeBefore = DownloadSession::defaultFreeSpaceReserve + (qint64(1) << 30);
    measured.clear();
    server.setOverrun(Overrun::unannounced, 20'000'000, "u.mp4");
    Outcome fits;
    fits.attach(session->download(url, [&] { return home.file("u.mp4"); }));
    ASSERT_TRUE(fits.wait(60));
    ASSERT_TRUE(fits.responses.front().success);
    EXPECT_EQ(QFileInfo(home.file("u.mp4")).size(), body.size() + 20'000'000);
    EXPECT_LE(measured.size(), 10);

    // A disk already short of the reserve takes nothing.
    freeBefore = DownloadSession::defaultFreeSpaceReserve - 1;
    Outcome full;
    full.attach(session->download(url, [&] { return home.file("full.mp4"); }));
    ASSERT_TRUE(full.wait());
    EXPECT_EQ(full.responses.front().errorText, "not enough free disk space (keep 1 GiB free)");
    EXPECT_TRUE(full.progress.empty());
    EXPECT_TRUE(partialFiles().isEmpty());
}

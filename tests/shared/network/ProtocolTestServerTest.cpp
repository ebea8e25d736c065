#include "ProtocolTestServer.h"
#include "AesCipher.h"
#include "Envelope.h"
#include "ProtocolTestServerThread.h"
#include "TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {
struct Result {
    bool done = false;
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;
};

std::shared_ptr<Result> collect(QNetworkReply* reply) {
    auto result = std::make_shared<Result>();
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, result] {
        result->status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result->error = reply->error();
        result->body = reply->isOpen() ? reply->readAll() : QByteArray();
        result->headers = reply->rawHeaderPairs();
        result->done = true;
        reply->deleteLater();
    });
    return result;
}

std::shared_ptr<Result> post(QNetworkAccessManager& manager, const QUrl& url, const QString& f,
                             const QString& text, int timeoutMs = 5000) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    request.setTransferTimeout(timeoutMs);
    return collect(
        manager.post(request, Envelope::formEncode({{"f", f}, {"i", Envelope().seal(text).base64}})));
}

std::shared_ptr<Result> get(QNetworkAccessManager& manager, const QUrl& url, const QByteArray& range = {},
                            const QByteArray& ifRange = {}) {
    QNetworkRequest request(url);
    if (!range.isEmpty())
        request.setRawHeader("Range", range);
    if (!ifRange.isEmpty())
        request.setRawHeader("If-Range", ifRange);
    return collect(manager.get(request));
}

bool finished(const std::shared_ptr<Result>& result) {
    return TestHome::waitUntil([&] { return result->done; });
}

QByteArray headerOf(const Result& result, const QByteArray& name) {
    for (const auto& [key, value] : result.headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}
} // namespace

class ProtocolTestServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
    ProtocolTestServer server;
    QNetworkAccessManager manager;
};

TEST_F(ProtocolTestServerTest, DeciphersRecordsAndAnswersFromFixtures) {
    server.addVideo(ProtocolTestServer::videoRecord(QString(32, 'a'), "Sea"));
    QUrl url = server.baseUrl();
    url.setPath("/src.html");
    const auto result = post(manager, url, "504", R"({"ui":"U", "sign":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"})");
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->status, 200);

    ASSERT_EQ(server.requestCount(), 1);
    const auto received = server.requests().first();
    EXPECT_EQ(received.path, "/src.html");
    EXPECT_EQ(received.operation, "504");
    EXPECT_EQ(received.text, QString(R"({\"ui\":\"U\", \"sign\":\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"})"));
    EXPECT_EQ(received.object().value("sign").toString(), QString(32, 'a'));

    const auto opened = Envelope().open(result->body);
    ASSERT_TRUE(opened);
    const QJsonObject reply = QJsonDocument::fromJson(opened->toUtf8()).object();
    EXPECT_EQ(reply.value("data").toObject().value("title").toString(), "Sea");
    EXPECT_EQ(reply.value("data").toObject().size(), 25);
}

TEST_F(ProtocolTestServerTest, SwitchesFailDelayAndPadOnDemand) {
    QUrl url = server.baseUrl();
    url.setPath("/litecount.html");

    server.setNulPadding(3);
    auto result = post(manager, url, "21", "{}");
    ASSERT_TRUE(finished(result));
    // The reply text itself carries the NULs; opening removes them.
    const auto plain = AesCipher::make(Envelope::defaultKey(), Envelope::defaultIV())
                           ->decrypt(QByteArray::fromBase64(result->body));
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->endsWith(QByteArray(3, '\0')));
    EXPECT_FALSE(Envelope().open(result->body)->contains(QChar(u'\0')));

    server.setFailure(ProtocolTestServer::Failure::serverError, "21");
    result = post(manager, url, "21", "{}");
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->status, 500);
    EXPECT_FALSE(Envelope().open(result->body));

    server.setFailure(ProtocolTestServer::Failure::stall, "21");
    result = post(manager, url, "21", "{}", 300);
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->error, QNetworkReply::OperationCanceledError);

    server.setFailure(ProtocolTestServer::Failure::closeConnection, "21");
    result = post(manager, url, "21", "{}");
    ASSERT_TRUE(finished(result));
    EXPECT_NE(result->error, QNetworkReply::NoError);
    EXPECT_EQ(result->status, 0);

    server.resetSwitches();
    server.setDelay(std::chrono::milliseconds(400), "21");
    result = post(manager, url, "21", "{}", 150);
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->error, QNetworkReply::OperationCanceledError);
    result = post(manager, url, "13", "{}", 150); // other operations are not delayed
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->error, QNetworkReply::NoError);
}

TEST_F(ProtocolTestServerTest, ServesFilesWithRanges) {
    QByteArray body(10000, Qt::Uninitialized);
    for (int i = 0; i < body.size(); ++i)
        body[i] = char(i % 251);
    const QUrl url = server.serveFile("clip.mp4", body);

    auto result = get(manager, url);
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body, body);
    const QByteArray etag = headerOf(*result, "ETag");
    EXPECT_FALSE(etag.isEmpty());
    EXPECT_FALSE(headerOf(*result, "Last-Modified").isEmpty());

    result = get(manager, url, "bytes=4000-", etag);
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->status, 206);
    EXPECT_EQ(result->body, body.mid(4000));
    EXPECT_EQ(headerOf(*result, "Content-Range"), "bytes 4000-9999/10000");

    result = get(manager, url, "bytes=4000-", "\"stale\"");
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body.size(), body.size());

    result = get(manager, url, "bytes=10000-");
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->status, 416);

    server.setFailure(ProtocolTestServer::Failure::dropMidBody, "clip.mp4");
    server.setDropAfter(1234);
    result = get(manager, url);
    ASSERT_TRUE(finished(result));
    EXPECT_NE(result->error, QNetworkReply::NoError);
    EXPECT_EQ(result->body, body.left(1234));
    EXPECT_EQ(server.requests().last().path, "/files/clip.mp4");

    // Silent after part of the body: the client's transfer time-out ends it.
    server.setFailure(ProtocolTestServer::Failure::stallMidBody, "clip.mp4");
    QNetworkRequest stalled(url);
    stalled.setTransferTimeout(300);
    result = collect(manager.get(stalled));
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->error, QNetworkReply::OperationCanceledError);
}

TEST_F(ProtocolTestServerTest, ReadsMultipartUploads) {
    auto* multipart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart f;
    f.setHeader(QNetworkRequest::ContentDispositionHeader, "form-data; name=\"f\"");
    f.setBody("25");
    QHttpPart file;
    file.setHeader(QNetworkRequest::ContentDispositionHeader,
                   "form-data; name=\"dmp\"; filename=\"1700000000.txt\"");
    file.setHeader(QNetworkRequest::ContentTypeHeader, "text/plain");
    file.setBody("crash\r\nlog");
    multipart->append(f);
    multipart->append(file);
    QUrl url = server.baseUrl();
    url.setPath("/litecount.html");
    QNetworkReply* reply = manager.post(QNetworkRequest(url), multipart);
    multipart->setParent(reply);
    const auto result = collect(reply);
    ASSERT_TRUE(finished(result));
    EXPECT_EQ(result->body, "received");
    const auto received = server.requests().first();
    EXPECT_EQ(received.operation, "25");
    ASSERT_EQ(received.parts.size(), 2);
    EXPECT_EQ(received.parts[1].name, "dmp");
    EXPECT_EQ(received.parts[1].fileName, "1700000000.txt");
    EXPECT_EQ(received.parts[1].contentType, "text/plain");
    EXPECT_EQ(received.parts[1].data, "crash\r\nlog");
}

namespace {
// One page of the list for a sort order, as the titles on it, and the page count.
QPair<QStringList, qint64> listPage(QNetworkAccessManager& manager, const QUrl& base, int page, int sort) {
    QUrl url = base;
    url.setPath("/src.html");
    const auto result = post(
        manager, url, "502",
        QString(R"({"ui":"U","cate":0,"page":%1,"keywords":"","sort":%2,"author":""})").arg(page).arg(sort));
    if (!finished(result))
        return {};
    const QJsonObject data =
        QJsonDocument::fromJson(Envelope().open(result->body).value_or(QString()).toUtf8())
            .object()["data"]
            .toObject();
    QStringList titles;
    for (const QJsonValue& video : data["vlist"].toArray())
        titles.append(video["title"].toString());
    return {titles, data["pages"].toInteger()};
}
} // namespace

TEST_F(ProtocolTestServerTest, ListsPageByPageNewestOrHottestFirst) {
    // 45 videos: upload times and download counts each in an order of their own.
    QStringList byUpload(45), byDownloads(45), catalogue;
    for (int i = 0; i < 45; ++i) {
        const int age = (i * 7) % 45;       // hours before the newest
        const int rank = (i * 11 + 3) % 45; // 0: most downloaded
        QJsonObject video = ProtocolTestServer::videoRecord(QString("%1").arg(i, 32, 10, QChar('0')),
                                                            QString("Video %1").arg(i));
        video["uptime"] = QDateTime(QDate(2026, 11, 30), QTime(18, 0), Qt::UTC)
                              .addSecs(-3600 * age)
                              .toString("yyyy-MM-dd hh:mm:ss");
        video["down"] = 5000 - rank * 10;
        server.addVideo(video);
        catalogue.append(video["title"].toString());
        byUpload[age] = video["title"].toString();
        byDownloads[rank] = video["title"].toString();
    }
    const auto wholeList = [&](int sort) {
        QStringList titles;
        for (int page = 1; page <= 3; ++page) {
            const auto [onPage, pages] = listPage(manager, server.baseUrl(), page, sort);
            EXPECT_EQ(pages, 3);
            EXPECT_EQ(onPage.size(), page < 3 ? 20 : 5) << "page " << page;
            titles += onPage;
        }
        return titles;
    };
    EXPECT_EQ(wholeList(1), byUpload);
    EXPECT_EQ(wholeList(2), byDownloads);
    EXPECT_EQ(wholeList(0), catalogue) << "no order asked: the catalogue's own";
    EXPECT_TRUE(listPage(manager, server.baseUrl(), 4, 1).first.isEmpty());
}

TEST(ProtocolTestServerProgram, ListensAndAnswersForScripts) {
    QProcess program;
    program.start(TestHome::toolPath("zerafin_test_server"), {"--quiet", "--sample-videos", "1"});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(TestHome::waitUntil([&] { return program.canReadLine(); }));
    const QString line = QString::fromUtf8(program.readLine()).trimmed();
    ASSERT_TRUE(line.startsWith("listening http://127.0.0.1:")) << line.toStdString();
    QUrl url(line.section(' ', 1));
    url.setPath("/src.html");

    QNetworkAccessManager manager;
    const auto result =
        post(manager, url, "502", R"({"ui":"U","cate":0,"page":1,"keywords":"","sort":1,"author":""})");
    ASSERT_TRUE(finished(result));
    const auto opened = Envelope().open(result->body);
    ASSERT_TRUE(opened);
    const QJsonArray videos =
        QJsonDocument::fromJson(opened->toUtf8()).object().value("data").toObject().value("vlist").toArray();
    ASSERT_EQ(videos.size(), 1);
    const auto file = get(manager, QUrl(videos[0].toObject().value("url").toString()), "bytes=0-99");
    ASSERT_TRUE(finished(file));
    EXPECT_EQ(file->status, 206);
    EXPECT_EQ(file->body.size(), 100);

    program.terminate();
    EXPECT_TRUE(program.waitForFinished());
}

TEST(ProtocolTestServerProgram, ServesAFolderWithEachClipsFactsAndALeaflet) {
    TestHome home;
    QDir(home.path()).mkpath("catalogue");
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(home.file("catalogue/" + name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    ASSERT_TRUE(write("Dunes.mp4", QByteArray(3000, 'd')));
    ASSERT_TRUE(write("Dunes.json",
                      R"({"width":640,"height":360,"time":6000,"down":77,"uptime":"2026-11-02 08:00:00"})"));
    ASSERT_TRUE(write("Plain.mp4", QByteArray(2000, 'p')));
    ASSERT_TRUE(write("leaflet.png", ProtocolTestServer::samplePng()));

    QProcess program;
    program.start(
        TestHome::toolPath("zerafin_test_server"),
        {"--quiet", "--library", home.file("catalogue"), "--leaflet", home.file("catalogue/leaflet.png")});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(TestHome::waitUntil([&] { return program.canReadLine(); }));
    const QString line = QString::fromUtf8(program.readLine()).trimmed();
    ASSERT_TRUE(line.startsWith("listening http://127.0.0.1:")) << line.toStdString();
    QUrl url(line.section(' ', 1));
    url.setPath("/src.html");

    QNetworkAccessManager manager;
    const auto list =
        post(manager, url, "502", R"({"ui":"U","cate":0,"page":1,"keywords":"","sort":2,"author":""})");
    ASSERT_TRUE(finished(list));
    const QJsonArray videos =
        QJsonDocument::fromJson(Envelope().open(list->body).value_or(QString()).toUtf8())
            .object()["data"]
            .toObject()["vlist"]
            .toArray();
    ASSERT_EQ(videos.size(), 2);
    const QJsonObject dunes = videos[0].toObject();
    EXPECT_EQ(dunes["title"].toString(), "Dunes") << "hottest first";
    EXPECT_EQ(dunes["width"].toInt(), 640);
    EXPECT_EQ(dunes["height"].toInt(), 360);
    EXPECT_EQ(dunes["time"].toInt(), 6000);
    EXPECT_EQ(dunes["size"].toInt(), 3000);
    EXPECT_EQ(dunes["uptime"].toString(), "2026-11-02 08:00:00");
    EXPECT_EQ(videos[1].toObject()["size"].toInt(), 2000);

    const auto guide = post(manager, url, "214", R"({"ui":"U"})");
    ASSERT_TRUE(finished(guide));
    const QJsonArray leaflet =
        QJsonDocument::fromJson(Envelope().open(guide->body).value_or(QString()).toUtf8())
            .object()["data"]
            .toObject()["leftPanel"]
            .toArray();
    ASSERT_EQ(leaflet.size(), 1);
    EXPECT_EQ(leaflet[0].toString(),
              "data:image/png;base64," + QString::fromLatin1(ProtocolTestServer::samplePng().toBase64()));
    program.terminate();
    EXPECT_TRUE(program.waitForFinished());
}

TEST(ProtocolTestServerThread, AnswersWhileTheMainThreadIsBlocked) {
    ProtocolTestServerThread threaded;
    ASSERT_TRUE(threaded.isListening());
    threaded.run([](ProtocolTestServer& server) { server.serveFile("a.bin", QByteArray(5000, 'x')); });

    // The main thread waits without running its event loop; the client works on another thread.
    QByteArray body;
    QThread client;
    client.start();
    QObject carrier;
    carrier.moveToThread(&client);
    QMetaObject::invokeMethod(
        &carrier,
        [&] {
            QNetworkAccessManager manager;
            QEventLoop loop;
            QNetworkReply* reply =
                manager.get(QNetworkRequest(QUrl(threaded.baseUrl().toString() + "/files/a.bin")));
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            loop.exec();
            body = reply->readAll();
            delete reply;
            carrier.moveToThread(nullptr);
        },
        Qt::BlockingQueuedConnection);
    client.quit();
    client.wait();
    EXPECT_EQ(body.size(), 5000);
    int count = 0;
    threaded.run([&](ProtocolTestServer& server) { count = server.requestCount(); });
    EXPECT_EQ(count, 1);
}

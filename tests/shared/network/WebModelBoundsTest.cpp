#include "ReplyLimits.h"
#include "WebModelTestSupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace std::chrono_literals;

namespace {
// A loopback server that answers every request with a scripted head and then feeds body bytes
// on a timer, as a hostile or broken server would: a huge announced body, an endless body, a
// body trickling in a byte at a time.
class ScriptedServer : public QObject {
public:
    QByteArray head;        // status line and headers, up to and including the blank line
    QByteArray piece = "x"; // what each tick sends
    std::chrono::milliseconds tick{10};
    qint64 backlog = 256 * 1024; // no more is queued on the socket than this
    qint64 sent = 0;
    bool clientClosed = false;

    bool start() {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                serve(socket);
        });
        return m_server.listen(QHostAddress::LocalHost);
    }
    QUrl baseUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort())); }

private:
    void serve(QTcpSocket* socket) {
        socket->setParent(this);
        auto* timer = new QTimer(socket);
        connect(socket, &QTcpSocket::disconnected, this, [this] { clientClosed = true; });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, timer] {
            m_request += socket->readAll();
            if (timer->isActive() || !m_request.contains("\r\n\r\n"))
                return;
            socket->write(head);
            timer->start(tick);
        });
        connect(timer, &QTimer::timeout, socket, [this, socket] {
            if (socket->state() != QAbstractSocket::ConnectedState || socket->bytesToWrite() > backlog)
                return;
            sent += socket->write(piece);
        });
    }

    QTcpServer m_server;
    QByteArray m_request;
};

std::unique_ptr<WebModel> clientOf(const QUrl& base, UserDefaults* standard, UserDefaults* suite,
                                   qint64 limit = WebModel::defaultReplyLimitBytes,
                                   std::chrono::milliseconds deadline = WebModel::defaultRequestDeadline) {
    WebModel::Options options;
    options.baseURL = base;
    options.standardDefaults = standard;
    options.suite = suite;
    options.scheduleRefreshes = false;
    options.replyLimitBytes = limit;
    options.requestDeadline = deadline;
    return std::make_unique<WebModel>(options);
}

using Listed = std::optional<TotalVideo>;
} // namespace

TEST_F(WebModelTest, AReplyAnnouncingMoreThanTheLimitFailsBeforeItsBodyIsRead) {
    ScriptedServer hostile;
    hostile.head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 629145600\r\n\r\n";
    hostile.piece = QByteArray(64 * 1024, 'A');
    hostile.tick = 1ms;
    ASSERT_TRUE(hostile.start());
    auto web = clientOf(hostile.baseUrl(), standard.get(), suite.get());

    Outcome<Listed> outcome;
    QElapsedTimer clock;
    clock.start();
    web->requestVideoList(VideoListRequest{"TEST-INSTALLATION", 0, 1, "", 1, ""}, outcome.setter());
    ASSERT_TRUE(outcome.wait());
    EXPECT_FALSE(outcome.value);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(TestHome::waitUntil([&] { return hostile.clientClosed; }, 2s));
    EXPECT_LT(hostile.sent, 16 * 1024 * 1024);
}

TEST_F(WebModelTest, AnEndlessReplyIsCutAtTheLimit) {
    ScriptedServer hostile;
    // No length: the body runs until the connection closes, which it never does.
    hostile.head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n";
    hostile.piece = QByteArray(64 * 1024, 'A');
    hostile.tick = 1ms;
    ASSERT_TRUE(hostile.start());
    constexpr qint64 limit = 1024 * 1024;
    auto web = clientOf(hostile.baseUrl(), standard.get(), suite.get(), limit);

    Outcome<Listed> outcome;
    web->requestVideoList(VideoListRequest{"TEST-INSTALLATION", 0, 1, "", 1, ""}, outcome.setter());
    ASSERT_TRUE(outcome.wait());
    EXPECT_FALSE(outcome.value);
    EXPECT_TRUE(TestHome::waitUntil([&] { return hostile.clientClosed; }, 2s));
    // The limit plus what the socket buffers held: nowhere near the endless body.
    EXPECT_LT(hostile.sent, 8 * limit);
}

TEST_F(WebModelTest, AReplyJustPastTheLimitFailsAndOneAtItIsRead) {
    const QByteArray json = BaseInfoResponse{1, "", BaseInfo{{{7, "Nature"}}, {"sea"}, {"sky"}}}.toJson();
    const auto body = Envelope().sealVerbatim(json);
    ASSERT_TRUE(body);
    server.setRawReply("501", body->toUtf8());
    const qint64 size = body->toUtf8().size();

    Outcome<std::optional<BaseInfoResponse>> over;
    auto tooSmall = clientOf(server.baseUrl(), standard.get(), suite.get(), size - 1);
    tooSmall->requestBaseInfo(over.setter());
    ASSERT_TRUE(over.wait());
    EXPECT_FALSE(over.value);

    auto fitting = clientOf(server.baseUrl(), standard.get(), suite.get(), size);
    Outcome<std::optional<BaseInfoResponse>> at;
    fitting->requestBaseInfo(at.setter());
    ASSERT_TRUE(at.wait());
    ASSERT_TRUE(at.value);
    EXPECT_EQ(at.value->data.hottags, std::vector<QString>{"sea"});
}

TEST_F(WebModelTest, ATricklingReplyFailsAtTheDeadline) {
    ScriptedServer hostile;
    hostile.head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100000\r\n\r\n";
    hostile.tick = 300ms; // well within the 2-second silence the transfer time-out allows
    ASSERT_TRUE(hostile.start());
    auto web =
        clientOf(hostile.baseUrl(), standard.get(), suite.get(), WebModel::defaultReplyLimitBytes, 1500ms);

    Outcome<Listed> outcome;
    QElapsedTimer clock;
    clock.start();
    web->requestVideoList(VideoListRequest{"TEST-INSTALLATION", 0, 1, "", 1, ""}, outcome.setter());
    ASSERT_TRUE(TestHome::waitUntil([&] { return outcome.called; }, 6s));
    EXPECT_FALSE(outcome.value);
    EXPECT_GE(clock.elapsed(), 1400);
    EXPECT_TRUE(TestHome::waitUntil([&] { return hostile.clientClosed; }, 2s));
}

TEST_F(WebModelTest, ListsAndTextsOfARepliesAreCutToTheLimits) {
    // A page far past the record limit, one record with an 8 MB title, and base information
    // with a hundred thousand hot tags.
    QList<QJsonObject> videos;
    for (int i = 0; i < 1500; ++i)
        videos.append(ProtocolTestServer::videoRecord(QStringLiteral("%1").arg(i, 32, 10, QChar('0')),
                                                      QStringLiteral("Video %1").arg(i)));
    const QString longTitle(8 * 1024 * 1024, QChar('T'));
    videos[0]["title"] = longTitle;
    videos[0]["description"] = QString(5000, QChar('d'));
    videos[0]["author"] = QString(5000, QChar('a'));
    server.setVideos(videos);
    server.setPageSize(100000);
    QStringList tags;
    for (int i = 0; i < 100000; ++i)
        tags.append(QStringLiteral("tag%1").arg(i));
    server.setHotTags(tags);
    server.setHotKeys(tags);
    QJsonArray categories;
    for (int i = 0; i < 300; ++i)
        categories.append(QJsonObject{{"id", i}, {"title", QString(2000, QChar('c'))}});
    server.setCategories(categories);
    server.setKeywords(tags);

    Outcome<Listed> listed;
    client->requestVideoList(VideoListRequest{"TEST-INSTALLATION", 0, 1, "", 1, ""}, listed.setter());
    ASSERT_TRUE(TestHome::waitUntil([&] { return listed.called; }, 20s));
    ASSERT_TRUE(listed.value);
    ASSERT_EQ(listed.value->vlist.size(), size_t(ReplyLimits::maximumListRecords));
    EXPECT_EQ(listed.value->vlist[0].title, QString(ReplyLimits::maximumTextLength, QChar('T')));
    EXPECT_EQ(listed.value->vlist[0].description.size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(listed.value->vlist[0].author.size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(listed.value->vlist[999].title, "Video 999");
    EXPECT_EQ(listed.value->vlist[0].url, videos[0]["url"].toString()); // addresses stay whole

    Outcome<std::optional<BaseInfoResponse>> base;
    client->requestBaseInfo(base.setter());
    ASSERT_TRUE(TestHome::waitUntil([&] { return base.called; }, 20s));
    ASSERT_TRUE(base.value);
    EXPECT_EQ(base.value->data.hottags.size(), size_t(ReplyLimits::maximumListEntries));
    EXPECT_EQ(base.value->data.hottags.front(), "tag0");
    EXPECT_EQ(base.value->data.hotkey.size(), size_t(ReplyLimits::maximumListEntries));
    ASSERT_EQ(base.value->data.cate.size(), size_t(ReplyLimits::maximumListEntries));
    EXPECT_EQ(base.value->data.cate[0].title.size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(client->baseInfo()->data.hottags.size(), size_t(ReplyLimits::maximumListEntries));

    Outcome<std::optional<std::vector<QString>>> suggestions;
    client->requestKeywords("tag", suggestions.setter());
    ASSERT_TRUE(TestHome::waitUntil([&] { return suggestions.called; }, 20s));
    ASSERT_TRUE(suggestions.value);
    EXPECT_EQ(suggestions.value->size(), size_t(ReplyLimits::maximumListEntries));
}

TEST_F(WebModelTest, DetailAndNewsTextsAreCut) {
    QJsonObject video = ProtocolTestServer::videoRecord(QString(32, 'b'), QString(3000, 't'));
    video["tags"] = QString(3000, 'g');
    server.setVideoDetail(QString(32, 'b'), video);
    Outcome<std::optional<VideoDetail>> detail;
    client->requestVideoDetail(QString(32, 'b'), detail.setter());
    ASSERT_TRUE(detail.wait());
    ASSERT_TRUE(detail.value);
    EXPECT_EQ(detail.value->title.size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(detail.value->tags.size(), ReplyLimits::maximumTextLength);

    QJsonObject heartbeat = ProtocolTestServer::defaultHeartbeatData();
    QJsonObject messages = heartbeat["msg"].toObject();
    QJsonObject bottom = messages["msg_bottom"].toObject();
    bottom["msg"] = QString(4000, 'n');
    messages["msg_bottom"] = bottom;
    heartbeat["msg"] = messages;
    server.setHeartbeatData(heartbeat);
    Outcome<std::optional<HeartbeatResponse>> news;
    client->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000", news.setter());
    ASSERT_TRUE(news.wait());
    ASSERT_TRUE(news.value);
    EXPECT_EQ(news.value->data.msg.msgBottom.msg.size(), ReplyLimits::maximumTextLength);
}

TEST(ReplyLimits, CutKeepsSurrogatePairsWhole) {
    EXPECT_EQ(ReplyLimits::cut("short"), "short");
    QString text(ReplyLimits::maximumTextLength - 1, QChar('x'));
    text += QString::fromUcs4(U"\U0001F600\U0001F600");
    const QString cut = ReplyLimits::cut(text);
    EXPECT_EQ(cut.size(), ReplyLimits::maximumTextLength - 1);
    EXPECT_FALSE(cut.back().isHighSurrogate());
}

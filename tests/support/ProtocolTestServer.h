#pragma once

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>

class QTcpSocket;
class QTimer;

// The product's server on a loopback port, for tests, benchmarks and scripts.
//
// It deciphers every request with the same envelope as the client, records it, and answers each
// operation from fixture data (a catalogue of videos, categories, hot tags and keys, keyword
// suggestions, heartbeat, guide pictures, update record, install counter), enciphered as the real
// server does. It also serves files under /files/<name> with byte ranges (206 / 416, ETag and
// Last-Modified, If-Range) for downloads and pictures. Switches make it slow, failing, silent or
// wrong on demand, for every request or for one route (an operation code such as "502", or the
// name of a served file).
//
// It lives on the thread that made it and is used from that thread only.
class ProtocolTestServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    enum class Failure {
        none,
        serverError,     // status 500 with a plain-text body that is not an envelope
        garbage,         // status 200 with a body that is not Base64 (files: every byte inverted)
        emptyBody,       // status 200 with no body
        dropMidBody,     // headers announcing the whole body, part of it, then the connection closes
        closeConnection, // the connection closes without any answer
        stall,           // no answer at all; the connection stays open
        stallMidBody,    // headers, part of the body, then silence; the connection stays open
    };

    // A served file's body running on past the file, for clients that must stop at a size.
    enum class Overrun {
        none,
        announced,   // the file, then zero bytes; the Content-Length counts them all
        unannounced, // the file, then zero bytes; no Content-Length, the connection closes after them
        endless,     // the file, then zero bytes until the client goes; no Content-Length
    };

    struct Part {
        QString name;
        QString fileName;
        QByteArray contentType;
        QByteArray data;
    };

    struct ReceivedRequest {
        QByteArray method;
        QString path;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QList<QPair<QString, QString>> formFields; // url-encoded fields, or the multipart text parts
        QList<Part> parts;                         // multipart bodies only
        QString operation;                         // the field "f"
        QString cipherText;                        // the field "i" as it arrived
        std::optional<QString> text;               // "i" deciphered: the escaped request text
        QString json;                              // `text` with the quote escaping undone

        // A header's value by case-insensitive name; empty when absent.
        QByteArray header(const QByteArray& name) const;
        // A form field (or text part) by name.
        std::optional<QString> field(const QString& name) const;
        // `json` parsed; empty when it is not a JSON object.
        QJsonObject object() const;
    };

    explicit ProtocolTestServer(QObject* parent = nullptr);
    ~ProtocolTestServer() override;

    // Listens on 127.0.0.1 (a free port when 0). False when the port cannot be had.
    bool start(quint16 port = 0);
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>", no trailing slash.
    QUrl baseUrl() const;

    // ---- switches (route: an operation code, a served file's name, or empty for every request)
    void setDelay(std::chrono::milliseconds delay, const QString& route = {});
    void setFailure(Failure failure, const QString& route = {});
    // The HTTP status of normal answers (the body stays the enciphered reply).
    void setStatus(int httpStatus, const QString& route = {});
    // Where dropMidBody and stallMidBody cut the body (bytes sent before closing or falling
    // silent); negative: half of it.
    void setDropAfter(qint64 bytes);
    // NUL characters appended to every reply text before it is enciphered.
    void setNulPadding(int count) { m_nulPadding = count; }
    // Replaces the reply text of an operation (still enciphered, padded as set).
    void setReplyText(const QString& operation, const QByteArray& json);
    // Replaces the whole body of an operation's answer, sent as it is.
    void setRawReply(const QString& operation, const QByteArray& body);
    // Served files flow at this many bytes per second (0: as fast as the socket takes them).
    void setFileRate(qint64 bytesPerSecond) { m_fileRate = bytesPerSecond; }
    // Answers for a served file (whole or ranged; its Content-Range still names the file's own
    // length) carry `extraBytes` zero bytes after it, or endless ones. Zeros go out as fast as the
    // client reads them, whatever the file rate.
    void setOverrun(Overrun overrun, qint64 extraBytes = 0, const QString& route = {});
    // What overrunning answers have handed to the network so far, their heads included.
    qint64 overrunBytesSent() const { return m_overrunBytesSent; }
    // Every switch back to normal answers; the fixtures and the record stay.
    void resetSwitches();

    // ---- fixtures
    // A complete video record (all 25 keys) with plausible values; its addresses point at a
    // loopback port where nothing answers.
    static QJsonObject videoRecord(const QString& sign, const QString& title = {}, const QString& url = {},
                                   qint64 size = 1024);
    // Adds a video to the catalogue, replacing one with the same sign.
    void addVideo(const QJsonObject& video);
    void setVideoDetail(const QString& sign, const QJsonObject& video);
    void setVideos(const QList<QJsonObject>& videos);
    // Serves `body` as "<sign>.mp4" and a small picture as "<sign>.png", and lists the video in
    // the catalogue with those files as its url, preurl, imgurl and avatar.
    QJsonObject addSampleVideo(const QString& title, const QByteArray& body);
    // The sign of a video's content: MD5 of its first 10 MiB, lower-case hexadecimal.
    static QString signOf(const QByteArray& body);
    QList<QJsonObject> videos() const { return m_videos; }
    // Restricts what a video-list request for `cate` lists; unmapped categories list everything.
    void setCategoryVideos(qint64 cate, const QStringList& signs) { m_categoryVideos[cate] = signs; }
    void setPageSize(int size) { m_pageSize = size > 0 ? size : 1; }
    void setCategories(const QJsonArray& categories) { m_categories = categories; }
    void setHotTags(const QStringList& tags) { m_hotTags = tags; }
    void setHotKeys(const QStringList& keys) { m_hotKeys = keys; }
    void setKeywords(const QStringList& keywords) { m_keywords = keywords; }
    void setHeartbeatData(const QJsonObject& data) { m_heartbeat = data; }
    void setGuideData(const QJsonObject& data) { m_guide = data; }
    void setUpdateData(const QJsonValue& data) { m_update = data; }
    void setInstallData(const QJsonValue& data) { m_install = data; }
    // The crash-log upload's answer, sent as plain text (that reply is not enciphered).
    void setCrashLogReply(const QByteArray& body) { m_crashLogReply = body; }

    static QJsonObject defaultHeartbeatData();
    static QJsonObject defaultGuideData();
    // A small valid PNG picture.
    static QByteArray samplePng();

    // ---- files under /files/<name>
    QUrl serveFile(const QString& name, const QByteArray& body);
    QUrl serveFilePath(const QString& name, const QString& path);
    QUrl fileUrl(const QString& name) const;
    void removeFile(const QString& name) { m_files.remove(name); }

    // ---- what arrived
    QList<ReceivedRequest> requests() const { return m_requests; }
    // The requests of one operation code, in arrival order.
    QList<ReceivedRequest> requestsFor(const QString& operation) const;
    int requestCount() const { return int(m_requests.size()); }
    void clearRequests() { m_requests.clear(); }
    // Spins the event loop until `count` requests arrived in all.
    bool waitForRequests(int count, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    // Called for every request as it arrives (after it was recorded).
    void setRequestObserver(std::function<void(const ReceivedRequest&)> observer) {
        m_observer = std::move(observer);
    }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Answer {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        bool headOnly = false;
    };
    struct Behaviour {
        Failure failure = Failure::none;
        std::chrono::milliseconds delay{0};
        std::optional<int> status;
        Overrun overrun = Overrun::none;
        qint64 extraBytes = 0;
    };
    struct ServedFile {
        QByteArray body;
        QString path;
        QByteArray etag;
        QDateTime lastModified;
    };
    struct Exchange;

    Behaviour behaviourFor(const QString& route) const;
    ReceivedRequest record(const QHttpServerRequest& request) const;
    Answer protocolAnswer(const ReceivedRequest& request);
    QByteArray replyJson(const ReceivedRequest& request) const;
    QByteArray videoListJson(const QJsonObject& query) const;
    // Orders a video list as the query's `sort` asks.
    static void sortVideos(QList<QJsonObject>& videos, qint64 sort);
    std::optional<Answer> fileAnswer(const QHttpServerRequest& request, const QString& name);
    void deliver(QTcpSocket* socket, Answer answer, const Behaviour& behaviour, bool isFile);
    void send(const std::shared_ptr<Exchange>& exchange);
    void stream(const std::shared_ptr<Exchange>& exchange);
    void topUp(const std::shared_ptr<Exchange>& exchange);
    void finish(const std::shared_ptr<Exchange>& exchange);

    quint16 m_port = 0;
    QHash<QString, Behaviour> m_behaviours;
    qint64 m_dropAfter = -1;
    int m_nulPadding = 0;
    QHash<QString, QByteArray> m_replyTexts;
    QHash<QString, QByteArray> m_rawReplies;
    qint64 m_fileRate = 0;
    qint64 m_overrunBytesSent = 0;

    QList<QJsonObject> m_videos;
    QMap<qint64, QStringList> m_categoryVideos;
    int m_pageSize = 20;
    QJsonArray m_categories;
    QStringList m_hotTags;
    QStringList m_hotKeys;
    QStringList m_keywords;
    QJsonObject m_heartbeat;
    QJsonObject m_guide;
    QJsonValue m_update;
    QJsonValue m_install;
    QByteArray m_crashLogReply;

    QHash<QString, ServedFile> m_files;
    QList<ReceivedRequest> m_requests;
    std::function<void(const ReceivedRequest&)> m_observer;
    std::list<std::shared_ptr<Exchange>> m_exchanges;
};

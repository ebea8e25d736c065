#include "ProtocolTestServer.h"

#include "Envelope.h"
#include "TestHome.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QImage>
#include <QJsonDocument>
#include <QLocale>
#include <QTcpSocket>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>

struct ProtocolTestServer::Exchange {
    QPointer<QTcpSocket> socket;
    QByteArray head;
    QByteArray body;
    qint64 sent = 0;
    qint64 dropAt = -1;
    qint64 rate = 0;
    Failure failure = Failure::none;
    QTimer* timer = nullptr;
    Overrun overrun = Overrun::none;
    qint64 extraLeft = 0; // zero bytes still to send after the file; -1: without end
    QList<QMetaObject::Connection> connections;
};

namespace {
// What an overrunning answer keeps queued on its socket: zeros follow as the client reads them.
constexpr qint64 overrunSlice = 256 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 404:
        return "Not Found";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

QByteArray httpDate(const QDateTime& time) {
    return QLocale::c().toString(time.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'")).toLatin1();
}

QByteArray contentTypeFor(const QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("mp4"))
        return "video/mp4";
    if (suffix == QLatin1String("png"))
        return "image/png";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "image/jpeg";
    return "application/octet-stream";
}

QByteArray envelopeJson(const QJsonValue& data) {
    return QJsonDocument(QJsonObject{{"status", 1}, {"info", "ok"}, {"data", data}})
        .toJson(QJsonDocument::Compact);
}

QString fromBase64Text(const QString& text) {
    return QString::fromUtf8(QByteArray::fromBase64(text.toLatin1()));
}

// "name" or "filename" out of a Content-Disposition header.
QString dispositionParameter(const QByteArray& header, const QByteArray& key) {
    for (QByteArray piece : header.split(';')) {
        piece = piece.trimmed();
        if (!piece.startsWith(key + '='))
            continue;
        QByteArray value = piece.mid(key.size() + 1);
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return QString::fromUtf8(value);
    }
    return {};
}

QList<ProtocolTestServer::Part> parseMultipart(const QByteArray& body, QByteArray boundary) {
    QList<ProtocolTestServer::Part> parts;
    if (boundary.size() >= 2 && boundary.startsWith('"') && boundary.endsWith('"'))
        boundary = boundary.mid(1, boundary.size() - 2);
    const QByteArray delimiter = "--" + boundary;
    qsizetype position = body.indexOf(delimiter);
    while (position >= 0) {
        position += delimiter.size();
        if (body.mid(position, 2) == "--")
            break;
        if (body.mid(position, 2) == "\r\n")
            position += 2;
        const qsizetype next = body.indexOf("\r\n" + delimiter, position);
        if (next < 0)
            break;
        const QByteArray segment = body.mid(position, next - position);
        const qsizetype headerEnd = segment.indexOf("\r\n\r\n");
        if (headerEnd >= 0) {
            ProtocolTestServer::Part part;
            for (const QByteArray& line : segment.left(headerEnd).split('\n')) {
                const QByteArray trimmed = line.trimmed();
                const qsizetype colon = trimmed.indexOf(':');
                if (colon < 0)
                    continue;
                const QByteArray key = trimmed.left(colon).trimmed().toLower();
                const QByteArray value = trimmed.mid(colon + 1).trimmed();
                if (key == "content-disposition") {
                    part.name = dispositionParameter(value, "name");
                    part.fileName = dispositionParameter(value, "filename");
                } else if (key == "content-type") {
                    part.contentType = value;
                }
            }
            part.data = segment.mid(headerEnd + 4);
            parts.append(part);
        }
        position = next + 2;
    }
    return parts;
}
} // namespace

QByteArray ProtocolTestServer::ReceivedRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

std::optional<QString> ProtocolTestServer::ReceivedRequest::field(const QString& name) const {
    for (const auto& [key, value] : formFields)
        if (key == name)
            return value;
    return std::nullopt;
}

QJsonObject ProtocolTestServer::ReceivedRequest::object() const {
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

ProtocolTestServer::ProtocolTestServer(QObject* parent) : QAbstractHttpServer(parent) {
    m_categories = QJsonArray{QJsonObject{{"id", 1}, {"title", "Landscape"}},
                              QJsonObject{{"id", 2}, {"title", "Animals"}},
                              QJsonObject{{"id", 3}, {"title", "Abstract"}}};
    m_hotTags = {"sea", "forest", "city"};
    m_hotKeys = {"rain", "sunset"};
    m_keywords = {"sunrise", "sunset", "sun flare"};
    m_heartbeat = defaultHeartbeatData();
    m_guide = defaultGuideData();
    m_update = QJsonObject{{"url", "https://www.zerafin.example/download"},
                           {"md5", ""},
                           {"ver", "1.0.0.0"},
                           {"exp", "Nothing new."}};
    m_install = 1;
    m_crashLogReply = "received";
}

ProtocolTestServer::~ProtocolTestServer() {
    for (const auto& exchange : m_exchanges) {
        for (const QMetaObject::Connection& connection : std::as_const(exchange->connections))
            disconnect(connection);
        if (exchange->timer)
            exchange->timer->stop();
        if (exchange->socket)
            exchange->socket->abort();
    }
    m_exchanges.clear();
}

bool ProtocolTestServer::start(quint16 port) {
    m_port = listen(QHostAddress::LocalHost, port);
    return m_port != 0;
}

QUrl ProtocolTestServer::baseUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

void ProtocolTestServer::setDelay(std::chrono::milliseconds delay, const QString& route) {
    m_behaviours[route].delay = delay;
}

void ProtocolTestServer::setFailure(Failure failure, const QString& route) {
    m_behaviours[route].failure = failure;
}

void ProtocolTestServer::setStatus(int httpStatus, const QString& route) {
    m_behaviours[route].status = httpStatus;
}

void ProtocolTestServer::setOverrun(Overrun overrun, qint64 extraBytes, const QString& route) {
    m_behaviours[route].overrun = overrun;
    m_behaviours[route].extraBytes = std::max<qint64>(0, extraBytes);
}

void ProtocolTestServer::setDropAfter(qint64 bytes) {
    m_dropAfter = bytes;
}

void ProtocolTestServer::setReplyText(const QString& operation, const QByteArray& json) {
    m_replyTexts[operation] = json;
}

void ProtocolTestServer::setRawReply(const QString& operation, const QByteArray& body) {
    m_rawReplies[operation] = body;
}

void ProtocolTestServer::resetSwitches() {
    m_behaviours.clear();
    m_dropAfter = -1;
    m_nulPadding = 0;
    m_replyTexts.clear();
    m_rawReplies.clear();
    m_fileRate = 0;
}

QJsonObject ProtocolTestServer::videoRecord(const QString& sign, const QString& title, const QString& url,
                                            qint64 size) {
    // Addresses on loopback where nothing answers; addSampleVideo gives ones that are served.
    const QString placeholder = QStringLiteral("http://127.0.0.1:9");
    return QJsonObject{
        {"id", 1000 + qint64(qHash(sign) % 9000)},
        {"sign", sign},
        {"preurl", placeholder + "/preview/" + sign + ".mp4"},
        {"title", title.isEmpty() ? QStringLiteral("Video ") + sign.left(6) : title},
        {"url", url.isEmpty() ? placeholder + "/video/" + sign + ".mp4" : url},
        {"description", "A quiet loop."},
        {"time", 30000},
        {"size", size},
        {"imgurl", placeholder + "/thumb/" + sign + ".png"},
        {"imgsize", 2048},
        {"tags", "nature,calm"},
        {"ratio", "16:9"},
        {"width", 1920},
        {"height", 1080},
        {"frame", 30},
        {"rate", 4000000},
        {"audio", 0},
        {"uptime", "2026-01-01 12:00:00"},
        {"down", 12},
        {"view", 340},
        {"author", "zerafin"},
        {"avatar", placeholder + "/avatar/zerafin.png"},
        {"avatarsize", 512},
        {"hp", ""},
        {"upcount", 3},
    };
}

void ProtocolTestServer::addVideo(const QJsonObject& video) {
    const QString sign = video.value("sign").toString();
    for (QJsonObject& existing : m_videos)
        if (existing.value("sign").toString() == sign) {
            existing = video;
            return;
        }
    m_videos.append(video);
}

void ProtocolTestServer::setVideoDetail(const QString& sign, const QJsonObject& video) {
    QJsonObject record = video;
    if (!record.contains("sign"))
        record.insert("sign", sign);
    for (QJsonObject& existing : m_videos)
        if (existing.value("sign").toString() == sign) {
            existing = record;
            return;
        }
    m_videos.append(record);
}

void ProtocolTestServer::setVideos(const QList<QJsonObject>& videos) {
    m_videos = videos;
}

QString ProtocolTestServer::signOf(const QByteArray& body) {
    return QString::fromLatin1(
        QCryptographicHash::hash(body.left(10485760), QCryptographicHash::Md5).toHex());
}

QJsonObject ProtocolTestServer::addSampleVideo(const QString& title, const QByteArray& body) {
    const QString sign = signOf(body);
    const QUrl url = serveFile(sign + QStringLiteral(".mp4"), body);
    QJsonObject video = videoRecord(sign, title, url.toString(), body.size());
    const QByteArray thumbnail = samplePng();
    const QString picture = serveFile(sign + QStringLiteral(".png"), thumbnail).toString();
    video.insert("preurl", url.toString());
    video.insert("imgurl", picture);
    video.insert("imgsize", thumbnail.size());
    video.insert("avatar", picture);
    video.insert("avatarsize", thumbnail.size());
    addVideo(video);
    return video;
}

QJsonObject ProtocolTestServer::defaultHeartbeatData() {
    return QJsonObject{
        {"ct", 0},
        {"time", QJsonObject{{"st", 0}, {"vt", QJsonArray{}}, {"tt", 0}}},
        {"msg",
         QJsonObject{
             {"msg_bottom", QJsonObject{{"msgid", 1},
                                        {"msg", "Welcome to Zerafin"},
                                        {"url", "https://www.zerafin.example/news"},
                                        {"color", "#3478F6"},
                                        {"back", 0}}},
             {"msg_top",
              QJsonObject{
                  {"msgid", 2},
                  {"tittle", "Top"},
                  {"url", "https://www.zerafin.example/top"},
                  {"color", QJsonObject{{"show", "#FFFFFF"}, {"hover", "#EEEEEE"}, {"click", "#DDDDDD"}}},
                  {"point", 0},
                  {"type", 0},
                  {"back", 0},
                  {"width", 0},
                  {"height", 0}}},
         }},
        {"upgrade", QJsonArray{}},
        {"speedlimit", 0},
    };
}

QJsonObject ProtocolTestServer::defaultGuideData() {
    const QString picture =
        QStringLiteral("data:image/png;base64,") + QString::fromLatin1(samplePng().toBase64());
    return QJsonObject{
        {"leftPanel", QJsonArray{picture}},
        {"leftPanelUrl", QJsonArray{"https://www.zerafin.example/leaflet"}},
        {"window", QJsonArray{}},
        {"windowUrl", QJsonArray{}},
        {"browser", QJsonArray{}},
        {"browserUrl", QJsonArray{}},
        {"newFeature", QJsonArray{picture}},
        {"newFeatureUrl", QJsonArray{"https://www.zerafin.example/new"}},
    };
}

QByteArray ProtocolTestServer::samplePng() {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(QColor(52, 120, 246));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QUrl ProtocolTestServer::serveFile(const QString& name, const QByteArray& body) {
    ServedFile file;
    file.body = body;
    file.etag = '"' + QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex() + '"';
    const QDateTime now = QDateTime::currentDateTimeUtc();
    file.lastModified = now.addMSecs(-now.time().msec());
    m_files.insert(name, file);
    return fileUrl(name);
}

QUrl ProtocolTestServer::serveFilePath(const QString& name, const QString& path) {
    ServedFile file;
    file.path = path;
    m_files.insert(name, file);
    return fileUrl(name);
}

QUrl ProtocolTestServer::fileUrl(const QString& name) const {
    QUrl url = baseUrl();
    url.setPath(QStringLiteral("/files/") + name);
    return url;
}

QList<ProtocolTestServer::ReceivedRequest> ProtocolTestServer::requestsFor(const QString& operation) const {
    QList<ReceivedRequest> found;
    for (const ReceivedRequest& request : m_requests)
        if (request.operation == operation)
            found.append(request);
    return found;
}

bool ProtocolTestServer::waitForRequests(int count, std::chrono::milliseconds timeout) {
    return TestHome::waitUntil([&] { return requestCount() >= count; }, timeout);
}

ProtocolTestServer::Behaviour ProtocolTestServer::behaviourFor(const QString& route) const {
    if (!route.isEmpty() && m_behaviours.contains(route))
        return m_behaviours.value(route);
    return m_behaviours.value(QString());
}

ProtocolTestServer::ReceivedRequest ProtocolTestServer::record(const QHttpServerRequest& request) const {
    ReceivedRequest received;
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        received.method = "GET";
        break;
    case QHttpServerRequest::Method::Post:
        received.method = "POST";
        break;
    case QHttpServerRequest::Method::Head:
        received.method = "HEAD";
        break;
    default:
        received.method = "OTHER";
        break;
    }
    received.path = request.url().path();
    received.headers = request.headers();
    received.body = request.body();

    const QByteArray contentType = received.header("Content-Type");
    if (contentType.startsWith("multipart/form-data")) {
        const qsizetype at = contentType.indexOf("boundary=");
        if (at >= 0) {
            QByteArray boundary = contentType.mid(at + 9);
            const qsizetype semicolon = boundary.indexOf(';');
            if (semicolon >= 0)
                boundary.truncate(semicolon);
            received.parts = parseMultipart(received.body, boundary.trimmed());
        }
        for (const Part& part : received.parts)
            if (part.fileName.isEmpty())
                received.formFields.append({part.name, QString::fromUtf8(part.data)});
    } else if (received.method == "POST") {
        received.formFields = Envelope::formDecode(received.body).value_or(decltype(received.formFields){});
    }
    received.operation = received.field("f").value_or(QString());
    received.cipherText = received.field("i").value_or(QString());
    if (!received.cipherText.isEmpty()) {
        received.text = Envelope().open(received.cipherText.toLatin1());
        if (received.text)
            received.json = Envelope::unescapeQuotes(*received.text);
    }
    return received;
}

void ProtocolTestServer::sortVideos(QList<QJsonObject>& videos, qint64 sort) {
    // 1: newest first by upload time, 2: most downloaded first. Ties, and any other order, keep
    // the catalogue's own order.
    const auto uploaded = [](const QJsonObject& video) { return video.value("uptime").toString(); };
    const auto downloads = [](const QJsonObject& video) { return video.value("down").toInteger(); };
    if (sort == 1)
        std::stable_sort(videos.begin(), videos.end(), [&](const QJsonObject& a, const QJsonObject& b) {
            return uploaded(a) > uploaded(b);
        });
    else if (sort == 2)
        std::stable_sort(videos.begin(), videos.end(), [&](const QJsonObject& a, const QJsonObject& b) {
            return downloads(a) > downloads(b);
        });
}

QByteArray ProtocolTestServer::videoListJson(const QJsonObject& query) const {
    const qint64 cate = query.value("cate").toInteger();
    const qint64 page = std::max<qint64>(1, query.value("page").toInteger(1));
    const QString keywords = fromBase64Text(query.value("keywords").toString());
    const QString author = fromBase64Text(query.value("author").toString());

    QList<QJsonObject> matching;
    for (const QJsonObject& video : m_videos) {
        if (m_categoryVideos.contains(cate) &&
            !m_categoryVideos.value(cate).contains(video.value("sign").toString()))
            continue;
        if (!keywords.isEmpty() && !video.value("title").toString().contains(keywords, Qt::CaseInsensitive) &&
            !video.value("tags").toString().contains(keywords, Qt::CaseInsensitive))
            continue;
        if (!author.isEmpty() && video.value("author").toString() != author)
            continue;
        matching.append(video);
    }
    sortVideos(matching, query.value("sort").toInteger());
    const qint64 total = matching.size();
    const qint64 pages = std::max<qint64>(1, (total + m_pageSize - 1) / m_pageSize);
    QJsonArray list;
    for (qint64 i = (page - 1) * m_pageSize; i < std::min(total, page * m_pageSize); ++i)
        list.append(matching.at(i));
    return envelopeJson(QJsonObject{
        {"pages", pages}, {"page", page}, {"total", total}, {"count", list.size()}, {"vlist", list}});
}

QByteArray ProtocolTestServer::replyJson(const ReceivedRequest& request) const {
    const QJsonObject query = request.object();
    const QString& op = request.operation;
    if (op == QLatin1String("501")) {
        return envelopeJson(QJsonObject{{"cate", m_categories},
                                        {"hottags", QJsonArray::fromStringList(m_hotTags)},
                                        {"hotkey", QJsonArray::fromStringList(m_hotKeys)}});
    }
    if (op == QLatin1String("502"))
        return videoListJson(query);
    if (op == QLatin1String("503"))
        return envelopeJson(QJsonObject{{"vid", query.value("vid")}, {"status", query.value("status")}});
    if (op == QLatin1String("504")) {
        const QString sign = query.value("sign").toString();
        for (const QJsonObject& video : m_videos)
            if (video.value("sign").toString() == sign)
                return envelopeJson(video);
        return QJsonDocument(QJsonObject{{"status", 0}, {"info", "no such video"}, {"data", QJsonValue()}})
            .toJson(QJsonDocument::Compact);
    }
    if (op == QLatin1String("505")) {
        const QString typed = fromBase64Text(query.value("keywords").toString());
        QStringList found;
        for (const QString& keyword : m_keywords)
            if (keyword.contains(typed, Qt::CaseInsensitive))
                found.append(keyword);
        return envelopeJson(QJsonArray::fromStringList(found));
    }
    if (op == QLatin1String("13"))
        return envelopeJson(m_install);
    if (op == QLatin1String("21"))
        return envelopeJson(m_heartbeat);
    if (op == QLatin1String("214"))
        return envelopeJson(m_guide);
    if (op == QLatin1String("24"))
        return envelopeJson(m_update);
    if (op == QLatin1String("26"))
        return envelopeJson(QJsonValue());
    return QJsonDocument(QJsonObject{{"status", 0}, {"info", "unknown operation"}, {"data", QJsonValue()}})
        .toJson(QJsonDocument::Compact);
}

ProtocolTestServer::Answer ProtocolTestServer::protocolAnswer(const ReceivedRequest& request) {
    Answer answer;
    answer.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/html; charset=utf-8")));
    if (m_rawReplies.contains(request.operation)) {
        answer.body = m_rawReplies.value(request.operation);
        return answer;
    }
    if (request.operation == QLatin1String("25")) {
        answer.headers = {{"Content-Type", "text/plain; charset=utf-8"}};
        answer.body = m_crashLogReply;
        return answer;
    }
    QByteArray json =
        m_replyTexts.contains(request.operation) ? m_replyTexts.value(request.operation) : replyJson(request);
    json.append(QByteArray(m_nulPadding, '\0'));
    answer.body = Envelope().sealVerbatim(json).value_or(QString()).toLatin1();
    return answer;
}

std::optional<ProtocolTestServer::Answer> ProtocolTestServer::fileAnswer(const QHttpServerRequest& request,
                                                                         const QString& name) {
    if (!m_files.contains(name))
        return std::nullopt;
    const ServedFile& file = m_files[name];
    qint64 size = 0;
    QByteArray etag = file.etag;
    QDateTime lastModified = file.lastModified;
    if (file.path.isEmpty()) {
        size = file.body.size();
    } else {
        const QFileInfo info(file.path);
        if (!info.isFile())
            return std::nullopt;
        size = info.size();
        lastModified = info.lastModified().toUTC();
        lastModified = lastModified.addMSecs(-lastModified.time().msec());
        etag = QByteArray("\"") + QByteArray::number(size) + '-' +
               QByteArray::number(lastModified.toSecsSinceEpoch()) + '"';
    }

    Answer answer;
    answer.headOnly = request.method() == QHttpServerRequest::Method::Head;
    answer.headers = {{"Content-Type", contentTypeFor(name)},
                      {"Accept-Ranges", "bytes"},
                      {"ETag", etag},
                      {"Last-Modified", httpDate(lastModified)}};

    qint64 first = 0;
    qint64 last = size - 1;
    bool ranged = false;
    QByteArray range;
    QByteArray ifRange;
    for (const auto& [key, value] : request.headers()) {
        if (key.compare("Range", Qt::CaseInsensitive) == 0)
            range = value.trimmed();
        else if (key.compare("If-Range", Qt::CaseInsensitive) == 0)
            ifRange = value.trimmed();
    }
    // A validator that no longer matches means the client's partial copy is stale: whole file.
    const bool validatorHolds = ifRange.isEmpty() || ifRange == etag || ifRange == httpDate(lastModified);
    if (range.startsWith("bytes=") && !range.contains(',') && validatorHolds) {
        const QByteArray spec = range.mid(6);
        const qsizetype dash = spec.indexOf('-');
        bool okFirst = false;
        bool okLast = false;
        if (dash == 0) {
            const qint64 suffix = spec.mid(1).toLongLong(&okLast);
            if (okLast && suffix > 0) {
                first = std::max<qint64>(0, size - suffix);
                ranged = true;
            }
        } else if (dash > 0) {
            first = spec.left(dash).toLongLong(&okFirst);
            const QByteArray end = spec.mid(dash + 1);
            if (okFirst && first >= 0) {
                ranged = true;
                if (!end.isEmpty()) {
                    last = end.toLongLong(&okLast);
                    if (!okLast || last < first)
                        ranged = false, first = 0, last = size - 1;
                    else
                        last = std::min(last, size - 1);
                }
            } else {
                first = 0;
            }
        }
        if (ranged && first >= size) {
            answer.status = 416;
            answer.headers.append({"Content-Range", "bytes */" + QByteArray::number(size)});
            answer.headOnly = true; // no body, and the length below is 0
            answer.body.clear();
            answer.headers.append(qMakePair(QByteArray("Content-Length"), QByteArray("0")));
            return answer;
        }
    }

    QByteArray body;
    const qint64 length = std::max<qint64>(0, last - first + 1);
    if (file.path.isEmpty()) {
        body = file.body.mid(first, length);
    } else {
        QFile source(file.path);
        if (!source.open(QIODevice::ReadOnly) || !source.seek(first))
            return std::nullopt;
        body = source.read(length);
    }
    if (ranged) {
        answer.status = 206;
        answer.headers.append({"Content-Range", "bytes " + QByteArray::number(first) + '-' +
                                                    QByteArray::number(first + body.size() - 1) + '/' +
                                                    QByteArray::number(size)});
    }
    answer.body = body;
    return answer;
}

bool ProtocolTestServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const QString path = request.url().path();
    if (path.startsWith(QLatin1String("/files/"))) {
        const QString name = path.mid(7);
        ReceivedRequest received = record(request);
        m_requests.append(received);
        if (m_observer)
            m_observer(received);
        const auto answer = fileAnswer(request, name);
        if (!answer)
            return false;
        deliver(socket, *answer, behaviourFor(name), true);
        return true;
    }
    if (request.method() != QHttpServerRequest::Method::Post ||
        (path != QLatin1String("/src.html") && path != QLatin1String("/litecount.html")))
        return false;
    ReceivedRequest received = record(request);
    m_requests.append(received);
    if (m_observer)
        m_observer(received);
    deliver(socket, protocolAnswer(received), behaviourFor(received.operation), false);
    return true;
}

void ProtocolTestServer::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
    Answer answer;
    answer.status = 404;
    answer.headers = {{"Content-Type", "text/plain"}};
    answer.body = "not found";
    deliver(socket, answer, Behaviour{}, false);
}

void ProtocolTestServer::deliver(QTcpSocket* socket, Answer answer, const Behaviour& behaviour, bool isFile) {
    auto exchange = std::make_shared<Exchange>();
    exchange->socket = socket;
    exchange->failure = behaviour.failure;
    if (behaviour.status && answer.status == 200)
        answer.status = *behaviour.status;

    switch (behaviour.failure) {
    case Failure::serverError:
        answer.status = 500;
        answer.headers = {{"Content-Type", "text/plain"}};
        answer.body = "Internal Server Error";
        answer.headOnly = false;
        break;
    case Failure::garbage:
        if (isFile) {
            for (char& byte : answer.body)
                byte = char(~byte);
        } else {
            answer.body = "this is not an envelope!";
        }
        break;
    case Failure::emptyBody:
        answer.body.clear();
        break;
    default:
        break;
    }

    const bool overruns = isFile && behaviour.overrun != Overrun::none && !answer.headOnly &&
                          (answer.status == 200 || answer.status == 206);
    if (overruns) {
        exchange->overrun = behaviour.overrun;
        exchange->extraLeft = behaviour.overrun == Overrun::endless ? -1 : behaviour.extraBytes;
        if (behaviour.overrun == Overrun::announced)
            answer.headers.append(qMakePair(QByteArray("Content-Length"),
                                            QByteArray::number(answer.body.size() + behaviour.extraBytes)));
        else
            answer.headers.append(qMakePair(QByteArray("Connection"), QByteArray("close")));
    }

    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
    // A body that ends with the connection has no length to announce.
    const bool endsWithConnection = overruns && behaviour.overrun != Overrun::announced;
    bool hasLength = false;
    for (const auto& [key, value] : answer.headers) {
        head += key + ": " + value + "\r\n";
        hasLength = hasLength || key.compare("Content-Length", Qt::CaseInsensitive) == 0;
    }
    if (!hasLength && !endsWithConnection)
        head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    head += "\r\n";
    exchange->head = head;
    exchange->body = answer.headOnly ? QByteArray() : answer.body;
    if (behaviour.failure == Failure::dropMidBody || behaviour.failure == Failure::stallMidBody)
        exchange->dropAt = m_dropAfter >= 0 ? std::min<qint64>(m_dropAfter, exchange->body.size())
                                            : exchange->body.size() / 2;
    exchange->rate = isFile ? m_fileRate : 0;
    m_exchanges.push_back(exchange);

    if (behaviour.failure == Failure::stall)
        return; // held until the client gives up or the server goes
    const std::weak_ptr<Exchange> weak = exchange;
    QTimer::singleShot(behaviour.delay, this, [this, weak] {
        if (const auto held = weak.lock())
            send(held);
    });
}

void ProtocolTestServer::send(const std::shared_ptr<Exchange>& exchange) {
    QTcpSocket* socket = exchange->socket;
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
        finish(exchange);
        return;
    }
    if (exchange->failure == Failure::closeConnection) {
        socket->abort();
        finish(exchange);
        return;
    }
    if (exchange->overrun != Overrun::none) {
        stream(exchange);
        return;
    }
    socket->write(exchange->head);
    const qint64 end = exchange->dropAt >= 0 ? exchange->dropAt : exchange->body.size();
    if (exchange->failure == Failure::stallMidBody) {
        socket->write(exchange->body.left(end));
        return; // held, silent, until the client gives up or the server goes
    }
    if (exchange->rate <= 0) {
        socket->write(exchange->body.left(end));
        if (exchange->dropAt >= 0)
            socket->disconnectFromHost();
        finish(exchange);
        return;
    }
    // Throttled: a slice every 50 ms, holding back while the socket is still busy.
    const qint64 slice = std::max<qint64>(1, exchange->rate / 20);
    exchange->timer = new QTimer(this);
    exchange->timer->setInterval(50);
    const std::weak_ptr<Exchange> weak = exchange;
    connect(exchange->timer, &QTimer::timeout, this, [this, weak, slice, end] {
        const auto held = weak.lock();
        if (!held)
            return;
        QTcpSocket* target = held->socket;
        if (!target || target->state() != QAbstractSocket::ConnectedState) {
            finish(held);
            return;
        }
        if (target->bytesToWrite() > slice)
            return;
        const qint64 count = std::min(slice, end - held->sent);
        target->write(held->body.mid(held->sent, count));
        held->sent += count;
        if (held->sent >= end) {
            if (held->dropAt >= 0)
                target->disconnectFromHost();
            finish(held);
        }
    });
    exchange->timer->start();
}

void ProtocolTestServer::stream(const std::shared_ptr<Exchange>& exchange) {
    QTcpSocket* socket = exchange->socket;
    const std::weak_ptr<Exchange> weak = exchange;
    exchange->connections.append(connect(socket, &QTcpSocket::bytesWritten, this, [this, weak](qint64 bytes) {
        m_overrunBytesSent += bytes;
        if (const auto held = weak.lock())
            topUp(held);
    }));
    const auto gone = [this, weak] {
        if (const auto held = weak.lock())
            finish(held);
    };
    exchange->connections.append(connect(socket, &QTcpSocket::disconnected, this, gone));
    exchange->connections.append(connect(socket, &QTcpSocket::errorOccurred, this, gone));
    socket->write(exchange->head);
    socket->write(exchange->body);
    topUp(exchange);
}

// Keeps a slice of zeros queued until the extra bytes are out (or forever, for an endless body).
void ProtocolTestServer::topUp(const std::shared_ptr<Exchange>& exchange) {
    QTcpSocket* socket = exchange->socket;
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
        finish(exchange);
        return;
    }
    static const QByteArray zeros(overrunSlice, '\0');
    while (exchange->extraLeft != 0 && socket->bytesToWrite() < overrunSlice) {
        const qint64 count =
            exchange->extraLeft < 0 ? overrunSlice : std::min(overrunSlice, exchange->extraLeft);
        socket->write(zeros.constData(), count);
        if (exchange->extraLeft > 0)
            exchange->extraLeft -= count;
    }
    if (exchange->extraLeft != 0 || socket->bytesToWrite() > 0)
        return;
    // All of it has gone out; a body without a length ends with the connection.
    if (exchange->overrun != Overrun::announced)
        socket->disconnectFromHost();
    finish(exchange);
}

void ProtocolTestServer::finish(const std::shared_ptr<Exchange>& exchange) {
    for (const QMetaObject::Connection& connection : std::as_const(exchange->connections))
        disconnect(connection);
    exchange->connections.clear();
    if (exchange->timer) {
        exchange->timer->stop();
        exchange->timer->deleteLater();
        exchange->timer = nullptr;
    }
    m_exchanges.remove(exchange);
}

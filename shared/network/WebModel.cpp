#include "WebModel.h"

#include "AppInfo.h"
#include "JSONString.h"
#include "KeywordResponse.h"
#include "MainThread.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "ReplyLimits.h"
#include "UserDefaults.h"
#include "VideoDetailResponse.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QThread>
#include <QTimeZone>
#include <QTimer>
#include <QUuid>
#include <cmath>

Q_LOGGING_CATEGORY(lcServer, "zerafin.server")

namespace {
constexpr int requestTimeoutMs = 2000;
constexpr int guideRefreshDelayMs = 2000;
// The midnight timer never sleeps longer than this before it looks at the wall clock again, so
// a heartbeat due while the machine was suspended goes out soon after the wake.
constexpr qint64 wallClockRecheckMs = 60 * 1000;

// Errors Qt reports for an HTTP status; the reply itself arrived and is read like any other.
bool isHttpStatusError(QNetworkReply::NetworkError error) {
    const int code = int(error);
    return (code >= 201 && code <= 299) || code == 302 || (code >= 401 && code <= 499);
}

QString makeIdentifier(UserDefaults& suite) {
    if (const auto stored = suite.stringForKey(QStringLiteral("uuid")); stored && !stored->isEmpty())
        return *stored;
    const QString made = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    suite.setString(made, QStringLiteral("uuid"));
    suite.synchronize();
    return made;
}

// A decoded reply cut down to the limits, with a line saying so when anything went.
template <typename T> void bound(T& value, int operation) {
    if (ReplyLimits::bound(value))
        qCWarning(lcServer) << "reply to" << operation << "cut down: lists or texts past the limits dropped";
}

// A completion handed to a request, called at most once.
template <typename... Args, typename... Given>
void call(const std::function<void(Args...)>& completion, Given&&... given) {
    if (completion)
        completion(std::forward<Given>(given)...);
}
} // namespace

WebModel& WebModel::shared() {
    static WebModel* instance = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        Options options;
        options.scheduleRefreshes = false;
        instance = new WebModel(options);
        // Timers and replies belong to the main thread, whoever asked first; the timers are
        // started there without waiting for it.
        auto* app = QCoreApplication::instance();
        if (app && QThread::currentThread() != app->thread())
            instance->moveToThread(app->thread());
        QMetaObject::invokeMethod(
            instance, [] { instance->startRefreshes(); }, Qt::QueuedConnection);
    });
    return *instance;
}

WebModel::WebModel() : WebModel(Options()) {}

WebModel::WebModel(Options options)
    : m_baseURL(options.baseURL.isEmpty() ? defaultBaseURL() : options.baseURL),
      m_standardDefaults(options.standardDefaults ? options.standardDefaults : &UserDefaults::standard()),
      m_suite(options.suite),
      m_notifications(options.notifications ? options.notifications : &NotificationCenter::defaultCenter()),
      m_envelope(options.envelope.value_or(Envelope())),
      m_clock(options.clock ? options.clock : [] { return QDateTime::currentDateTime(); }),
      m_random(options.random ? options.random : [] { return QRandomGenerator::system()->generate(); }),
      m_replyLimitBytes(options.replyLimitBytes), m_requestDeadline(options.requestDeadline) {
    m_ct = m_standardDefaults->integerForKey(QStringLiteral("ct"));
    if (options.scheduleRefreshes)
        startRefreshes();
}

WebModel::~WebModel() {
    // Replies still in flight are dropped without calling their completions.
    m_alive = false;
    delete m_session;
    m_session = nullptr;
}

QUrl WebModel::defaultBaseURL() {
    const QString configured = qEnvironmentVariable("ZERAFIN_SERVER_URL");
    QString origin = configured.isEmpty() ? QStringLiteral("https://api.zerafin.example") : configured;
    while (origin.endsWith(QLatin1Char('/')))
        origin.chop(1);
    return QUrl(origin);
}

QString WebModel::userID() {
    static const QString identifier = [] {
        Preferences::shared(); // the shared settings, and with them the suite, exist first
        return makeIdentifier(Preferences::sharedDefaults());
    }();
    return identifier;
}

QString WebModel::userAgent() {
    return QStringLiteral("MACZerafinLite") + AppInfo::fullVersion();
}

QUrl WebModel::srcURL() const {
    return QUrl(m_baseURL.toString() + QStringLiteral("/src.html"));
}

QUrl WebModel::liteCountURL() const {
    return QUrl(m_baseURL.toString() + QStringLiteral("/litecount.html"));
}

QString WebModel::installationID() {
    if (!m_suite)
        return userID();
    std::call_once(m_userIDOnce, [this] { m_userID = makeIdentifier(*m_suite); });
    return m_userID;
}

QString WebModel::fullVersion() const {
    return AppInfo::fullVersion();
}

// ---- the session and the envelope

QNetworkAccessManager* WebModel::sessionManager() {
    // Only ever reached on the main thread; the once-guard keeps it to one session all the same.
    std::call_once(m_sessionOnce, [this] { m_session = new QNetworkAccessManager(this); });
    return m_session;
}

QNetworkRequest WebModel::makeRequest(const QUrl& url) const {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setTransferTimeout(requestTimeoutMs);
    return request;
}

void WebModel::onMain(std::function<void()> work) {
    if (MainThread::isCurrent())
        work();
    else
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

Envelope::SealStatus WebModel::send(int operation, const QString& text, const QUrl& endpoint,
                                    ReplyHandler handler) {
    const Envelope::Sealed sealed = m_envelope.seal(text);
    if (sealed.status != Envelope::SealStatus::sealed)
        return sealed.status;
    const QByteArray body = Envelope::formEncode(
        {{QStringLiteral("f"), QString::number(operation)}, {QStringLiteral("i"), sealed.base64}});
    onMain([this, endpoint, body, handler = std::move(handler)]() mutable {
        QNetworkRequest request = makeRequest(endpoint);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded; charset=utf-8"));
        watch(sessionManager()->post(request, body), std::move(handler));
    });
    return Envelope::SealStatus::sealed;
}

void WebModel::watch(QNetworkReply* reply, ReplyHandler handler, bool deadline) {
    // The body is taken as it arrives, so that a reply past the limit is dropped at the limit
    // instead of being buffered whole.
    auto body = std::make_shared<QByteArray>();
    const qint64 limit = m_replyLimitBytes;
    const auto refuse = [reply](const char* why) {
        qCWarning(lcServer) << "reply from" << reply->url().toString() << why;
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, limit, refuse] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limit && reply->isRunning())
            refuse("announces a body past the limit");
    });
    connect(reply, &QNetworkReply::readyRead, this, [reply, body, limit, refuse] {
        if (!reply->isOpen())
            return;
        if (reply->bytesAvailable() > limit - body->size())
            return refuse("passed the size limit");
        body->append(reply->readAll());
    });
    if (deadline) {
        // Tied to the reply: it goes with it once the exchange is over.
        QTimer::singleShot(m_requestDeadline, reply, [reply, refuse] {
            if (reply->isRunning())
                refuse("did not finish within the deadline");
        });
    }
    connect(reply, &QNetworkReply::finished, this, [this, reply, body, limit, handler = std::move(handler)] {
        reply->deleteLater();
        if (!m_alive)
            return;
        Reply result;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        result.noResponse = !status.isValid();
        result.statusCode = status.isValid() ? status.toInt() : 0;
        const bool transportFailed = reply->error() != QNetworkReply::NoError &&
                                     !(status.isValid() && isHttpStatusError(reply->error()));
        bool tooLarge = false;
        if (reply->isOpen()) { // closed once aborted
            tooLarge = reply->bytesAvailable() > limit - body->size();
            if (tooLarge)
                qCWarning(lcServer) << "reply from" << reply->url().toString() << "passed the size limit";
            else
                body->append(reply->readAll());
        }
        if (!transportFailed && !tooLarge && !body->isEmpty())
            result.text = std::move(*body);
        handler(result);
    });
}

std::optional<QString> WebModel::open(const Reply& reply) const {
    if (!reply.text)
        return std::nullopt;
    return m_envelope.open(*reply.text);
}

// ---- catalogue requests

void WebModel::requestBaseInfo(std::function<void(std::optional<BaseInfoResponse>)> completion) {
    if (m_baseInfo)
        return call(completion, m_baseInfo);
    const QString text = QStringLiteral(R"({"ui":"%1"})").arg(installationID());
    send(501, text, srcURL(), [this, completion](const Reply& reply) {
        const auto opened = open(reply);
        if (!opened)
            return call(completion, std::optional<BaseInfoResponse>());
        // A reply that does not decode empties the cache, so the next call asks again.
        m_baseInfo = BaseInfoResponse::fromJson(opened->toUtf8());
        if (m_baseInfo)
            bound(m_baseInfo->data, 501);
        call(completion, m_baseInfo);
    });
}

void WebModel::requestVideoList(const VideoListRequest& request,
                                std::function<void(std::optional<VideoListResponse>, int, bool)> completion) {
    m_latestRequest = request;
    // A request that is never sent still gets its answer, or the list would wait for it for ever.
    const QByteArray json = request.toJson();
    if (json.isEmpty())
        return call(completion, std::optional<VideoListResponse>(), 0, true);
    const auto status = send(502, QString::fromUtf8(json), srcURL(), [this, completion](const Reply& reply) {
        std::optional<VideoListResponse> response;
        if (const auto opened = open(reply))
            response = VideoListResponse::fromJson(opened->toUtf8());
        if (response)
            bound(response->data, 502);
        call(completion, response, reply.statusCode, reply.noResponse);
    });
    if (status != Envelope::SealStatus::sealed)
        call(completion, std::optional<VideoListResponse>(), 0, true);
}

void WebModel::requestVideoList(const VideoListRequest& request,
                                std::function<void(std::optional<TotalVideo>)> completion) {
    const auto failed = [this, completion] {
        if (m_latestRequest)
            m_latestRequest->page -= 1;
        call(completion, std::optional<TotalVideo>());
    };
    m_latestRequest = request;
    const QByteArray json = request.toJson();
    if (json.isEmpty())
        return failed();
    const auto status =
        send(502, QString::fromUtf8(json), srcURL(), [this, completion, failed](const Reply& reply) {
            std::optional<VideoListResponse> response;
            if (const auto opened = open(reply))
                response = VideoListResponse::fromJson(opened->toUtf8());
            if (!response)
                return failed();
            bound(response->data, 502);
            call(completion, std::optional<TotalVideo>(std::move(response->data)));
        });
    if (status != Envelope::SealStatus::sealed)
        failed();
}

void WebModel::requestVideoDetail(const QString& sign,
                                  std::function<void(std::optional<VideoDetail>)> completion) {
    const QString text = QStringLiteral(R"({"ui":"%1", "sign":"%2"})").arg(installationID(), sign);
    const auto status = send(504, text, srcURL(), [this, completion](const Reply& reply) {
        const auto opened = open(reply);
        auto response = opened ? VideoDetailResponse::fromJson(opened->toUtf8()) : std::nullopt;
        if (response)
            bound(response->data, 504);
        call(completion, response ? std::optional<VideoDetail>(std::move(response->data)) : std::nullopt);
    });
    if (status == Envelope::SealStatus::cipherError)
        call(completion, std::optional<VideoDetail>());
}

void WebModel::requestKeywords(const QString& typed,
                               std::function<void(std::optional<std::vector<QString>>)> completion) {
    // Base64 needs no escape today; the escape keeps the text valid whatever the encoding becomes.
    const QString keywords = JSONString::escaped(QString::fromLatin1(typed.toUtf8().toBase64()));
    const QString text = QStringLiteral(R"({"ui":"%1", "keywords":"%2"})").arg(installationID(), keywords);
    send(505, text, srcURL(), [this, completion](const Reply& reply) {
        const auto opened = open(reply);
        auto response = opened ? KeywordResponse::fromJson(opened->toUtf8()) : std::nullopt;
        if (response)
            bound(response->data, 505);
        call(completion,
             response ? std::optional<std::vector<QString>>(std::move(response->data)) : std::nullopt);
    });
}

// ---- reporting requests

void WebModel::sendHeartbeat(HeartBeatType kind, const QString& n,
                             std::function<void(std::optional<HeartbeatResponse>)> completion) {
    const QString text =
        QStringLiteral(R"({"n":"%1", "ui":"%2","ct":"%3","v":"%4","type":"%5","ismac":"1"})")
            .arg(n, installationID(), QString::number(m_ct), fullVersion(), QString::number(int(kind) + 1));
    const auto status = send(21, text, liteCountURL(), [this, completion](const Reply& reply) {
        const auto opened = open(reply);
        if (!opened)
            return call(completion, std::optional<HeartbeatResponse>());
        m_heartbeatResponse = HeartbeatResponse::fromJson(opened->toUtf8());
        if (m_heartbeatResponse)
            bound(m_heartbeatResponse->data.msg, 21);
        call(completion, m_heartbeatResponse);
        m_notifications->post(heartbeatUpdatedNotification());
    });
    if (status == Envelope::SealStatus::cipherError)
        call(completion, std::optional<HeartbeatResponse>());
}

void WebModel::requestGuideInfo() {
    const QString text = QStringLiteral(R"({"ui":"%1","v":"%2"})").arg(installationID(), fullVersion());
    send(214, text, liteCountURL(), [this](const Reply& reply) {
        m_guideModel.reset();
        if (const auto opened = open(reply)) {
            if (auto response = GuideResponse::fromJson(opened->toUtf8())) {
                auto model = std::make_shared<GuideModel>(std::move(*response));
                model->loadImages();
                m_guideModel = std::move(model);
            }
        }
        m_notifications->post(newFeatureUpdatedNotification());
        QVariantMap userInfo;
        if (m_guideModel)
            userInfo.insert(QStringLiteral("leftPanel"), QVariant::fromValue(m_guideModel->leftPanel()));
        m_notifications->post(leafletUpdatedNotification(), nullptr, userInfo);
    });
}

void WebModel::reportInstall(InstallWay way, const QString& n,
                             std::function<void(std::optional<QString>)> completion) {
    const QString text = QStringLiteral(R"({"n":"%1","ui":"%2","v":"%3","type":%4})")
                             .arg(n, installationID(), fullVersion(), QString::number(int(way) + 1));
    // One substitution pass for all values, so that a "%1" inside one of them stays as it is.
    send(13, text, liteCountURL(), [this, completion](const Reply& reply) {
        const auto opened = open(reply);
        if (!opened)
            return call(completion, std::optional<QString>());
        const auto counter = installCounter(*opened);
        if (!counter)
            return call(completion, std::optional<QString>());
        m_ct = *counter;
        m_standardDefaults->setInteger(m_ct, QStringLiteral("ct"));
        m_standardDefaults->synchronize();
        call(completion, std::optional<QString>(*opened));
    });
}

std::optional<qint64> WebModel::installCounter(const QString& replyText) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(replyText.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue data = document.object().value(QStringLiteral("data"));
    if (!data.isDouble())
        return std::nullopt;
    // Whole numbers that fit in 64 bits (JSON integers are kept exactly; 7.0 counts as 7).
    const QVariant exact = data.toVariant();
    if (exact.typeId() == QMetaType::LongLong)
        return exact.toLongLong();
    const double number = data.toDouble();
    if (!std::isfinite(number) || std::floor(number) != number || number < -9.2e18 || number > 9.2e18)
        return std::nullopt;
    return qint64(number);
}

void WebModel::sendFeedback(qint64 type, const QString& content, const QString& contact,
                            std::function<void(std::optional<QString>)> completion) {
    const QString text =
        QStringLiteral(R"({"ui":"%1","type":"%2","content":"%3","contact":"%4", "lng":"zh-CN"})")
            .arg(installationID(), QString::number(type), JSONString::escaped(content),
                 JSONString::escaped(contact));
    const auto status = send(26, text, liteCountURL(),
                             [this, completion](const Reply& reply) { call(completion, open(reply)); });
    if (status == Envelope::SealStatus::cipherError)
        call(completion, std::optional<QString>());
}

void WebModel::uploadCrashLog(const QString& filePath,
                              std::function<void(std::optional<QString>, bool)> completion) {
    const QString text = QStringLiteral(R"({"ui":"%1","v":"%2"})").arg(installationID(), fullVersion());
    const Envelope::Sealed sealed = m_envelope.seal(text);
    if (sealed.status == Envelope::SealStatus::cipherError)
        return;
    if (sealed.status == Envelope::SealStatus::noText)
        return call(completion, std::optional<QString>(), false);

    onMain([this, filePath, base64 = sealed.base64, completion] {
        QFile file(filePath);
        if (!file.open(QIODevice::ReadOnly)) {
            // The form cannot be made: nothing goes out and the log stays for the next start.
            return call(completion, std::optional<QString>(file.errorString()), false);
        }
        const QFileInfo info(filePath);
        auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        const auto textPart = [](const QByteArray& name, const QByteArray& value) {
            QHttpPart part;
            part.setHeader(QNetworkRequest::ContentDispositionHeader,
                           QByteArray("form-data; name=\"") + name + '"');
            part.setBody(value);
            return part;
        };
        form->append(textPart("f", "25"));
        form->append(textPart("i", base64.toUtf8()));
        QHttpPart dump;
        QByteArray fileName = info.fileName().toUtf8();
        fileName.replace('"', "%22");
        dump.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QByteArray("form-data; name=\"dmp\"; filename=\"") + fileName + '"');
        dump.setHeader(QNetworkRequest::ContentTypeHeader,
                       QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).name());
        dump.setBody(file.readAll());
        form->append(dump);

        QNetworkReply* reply = sessionManager()->post(makeRequest(liteCountURL()), form);
        form->setParent(reply);
        // A dump may take longer than a catalogue request to go out; the transfer time-out still holds.
        watch(
            reply,
            [completion](const Reply& result) {
                // Delivered means the server answered with success; anything else keeps the log.
                const bool delivered =
                    !result.noResponse && result.statusCode >= 200 && result.statusCode < 300;
                std::optional<QString> replyText;
                if (result.text)
                    replyText = QString::fromUtf8(*result.text);
                call(completion, replyText, delivered);
            },
            false);
    });
}

void WebModel::reportDownloadStatus(qint64 id, qint64 status,
                                    std::function<void(std::optional<QString>)> completion) {
    const QString text = QStringLiteral(R"({"ui":"%1", "vid":%2, "status":%3})")
                             .arg(installationID(), QString::number(id), QString::number(status));
    send(503, text, srcURL(), [this, completion](const Reply& reply) {
        if (!completion)
            return;
        completion(open(reply));
    });
}

// ---- update check

void WebModel::checkUpdate(std::function<void(std::optional<UpgradeInfo>)> completion) {
    const QString text = QStringLiteral(R"({"ui":"%1","v":"%2"})").arg(installationID(), fullVersion());
    const auto status = send(24, text, liteCountURL(), [this, completion](const Reply& reply) {
        const auto opened = open(reply);
        if (!opened)
            return call(completion, std::optional<UpgradeInfo>());
        call(completion, UpgradeInfo::fromUpdateReply(*opened));
    });
    if (status != Envelope::SealStatus::sealed)
        call(completion, std::optional<UpgradeInfo>());
}

// ---- refresh timers

void WebModel::startRefreshes() {
    QTimer::singleShot(guideRefreshDelayMs, this, [this] { refreshGudieInfo(); });
    m_midnightFireDate = firstMidnightFireDate(m_clock(), m_random());
    if (!m_midnightFireDate.isValid())
        return;
    m_midnightTimer = new QTimer(this);
    m_midnightTimer->setSingleShot(true);
    m_midnightTimer->setTimerType(Qt::PreciseTimer);
    connect(m_midnightTimer, &QTimer::timeout, this, &WebModel::checkMidnightTimer);
    armMidnightTimer();
    // A wake looks at the clock at once; without a system bus the periodic recheck covers it.
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(prepareForSleep(bool)));
}

void WebModel::prepareForSleep(bool starting) {
    if (!starting)
        checkMidnightTimer();
}

QDateTime WebModel::firstMidnightFireDate(const QDateTime& now, quint32 r) {
    if (!now.isValid())
        return {};
    // The start of the next calendar day in the clock's own zone (the first moment of that day
    // where a daylight-saving change skips midnight).
    const QDate tomorrow = now.date().addDays(1);
    const QDateTime nextDay = now.timeSpec() == Qt::TimeZone
                                  ? tomorrow.startOfDay(now.timeZone())
                                  : tomorrow.startOfDay(now.timeSpec(), now.offsetFromUtc());
    if (!nextDay.isValid())
        return {};
    const double offsetSeconds = double(r) / 8589934591.0 * 120.0;
    return nextDay.addMSecs(qint64(std::floor(offsetSeconds * 1000.0)));
}

QDateTime WebModel::nextMidnightFireDate(const QDateTime& fireDate) {
    return fireDate.addDays(1);
}

void WebModel::armMidnightTimer() {
    if (!m_midnightTimer || !m_midnightFireDate.isValid())
        return;
    const qint64 remaining = std::max<qint64>(0, m_clock().msecsTo(m_midnightFireDate));
    m_midnightTimer->start(int(std::min(remaining, wallClockRecheckMs)));
}

void WebModel::checkMidnightTimer() {
    if (!m_midnightFireDate.isValid())
        return;
    const QDateTime now = m_clock();
    if (now >= m_midnightFireDate) {
        midnightRefresh();
        // One heartbeat per wake: days that passed while the machine slept are not made up.
        do {
            m_midnightFireDate = nextMidnightFireDate(m_midnightFireDate);
        } while (m_midnightFireDate.isValid() && m_midnightFireDate <= now);
    }
    armMidnightTimer();
}

void WebModel::midnightRefresh() {
    sendHeartbeat(HeartBeatType::MidNight, QStringLiteral("1000"));
}

void WebModel::refreshGudieInfo() {
    requestGuideInfo();
}

#pragma once

#include "BaseInfoResponse.h"
#include "Envelope.h"
#include "GuideModel.h"
#include "HeartbeatResponse.h"
#include "UpgradeInfo.h"
#include "VideoDetail.h"
#include "VideoListRequest.h"
#include "VideoListResponse.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class NotificationCenter;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QTimer;
class UserDefaults;

// The one client of the product's server in each program.
//
// Every request is a form POST of the operation code "f" and the enciphered request text "i"
// (see Envelope) to one of two endpoints; every reply is opened the same way before it is decoded.
// Requests return at once and hand their result to a completion, at most once, on the main thread
// (or at once, on the caller's thread, where a request says so). Nothing is retried. A request
// fails when its transfer falls silent for 2 seconds, when it has not finished within its deadline
// (30 seconds) however steadily bytes trickle in, and when its reply body passes 16 MB (announced
// or received; the transfer stops there and nothing is kept). Decoded replies are cut down to
// ReplyLimits before anyone sees them. The HTTP status is never checked: an error status with a
// body is opened like any other reply.
//
// It also keeps what other parts read later (the last heartbeat reply, the base information, the
// guide, the last video-list query) and, once made, refreshes the guide 2 seconds later and sends
// a heartbeat shortly after every local midnight.
class WebModel : public QObject {
    Q_OBJECT

public:
    enum class InstallWay { Update, Reinstall };            // sent as 1, 2
    enum class HeartBeatType { Boot, MidNight, HeartBeat }; // sent as "1", "2", "3"

    // Far above any real reply: a page of a thousand videos is about a megabyte.
    static constexpr qint64 defaultReplyLimitBytes = 16 * 1024 * 1024;
    static constexpr std::chrono::milliseconds defaultRequestDeadline{30000};

    // What a fresh client is made with; the defaults are the program's own.
    struct Options {
        QUrl baseURL;                                // empty: defaultBaseURL()
        UserDefaults* standardDefaults = nullptr;    // holds "ct"; null: UserDefaults::standard()
        UserDefaults* suite = nullptr;               // holds "uuid"; null: the shared suite
        NotificationCenter* notifications = nullptr; // null: the default centre
        std::optional<Envelope> envelope;            // none: the product's key and vector
        std::function<QDateTime()> clock;            // local wall clock; null: the system's
        std::function<quint32()> random;             // null: a system random source
        bool scheduleRefreshes = true;               // the guide refresh and midnight heartbeat

        // The largest reply body read, and the time one exchange may take from start to end.
        qint64 replyLimitBytes = defaultReplyLimitBytes;
        std::chrono::milliseconds requestDeadline = defaultRequestDeadline;
    };

    static WebModel& shared();
    WebModel();
    explicit WebModel(Options options);
    ~WebModel() override;

    // ---- type-level values
    // ZERAFIN_SERVER_URL when set, otherwise the product's server; no trailing "/".
    static QUrl defaultBaseURL();
    // The installation identifier kept under "uuid" in the shared suite (made and stored on first
    // use); computed once per process.
    static QString userID();
    // "MACZerafinLite" followed directly by the full version.
    static QString userAgent();
    static QString heartbeatUpdatedNotification() { return QStringLiteral("HeartbeatUpdated"); }
    static QString newFeatureUpdatedNotification() { return QStringLiteral("NewFeatureUpdated"); }
    static QString leafletUpdatedNotification() { return QStringLiteral("leafletUpdated"); }

    QUrl baseURL() const { return m_baseURL; }
    QUrl srcURL() const;       // catalogue requests
    QUrl liteCountURL() const; // reporting requests and the update check
    // This client's installation identifier (userID() unless it was given a suite of its own).
    QString installationID();
    // The client's network manager, the program's one connection pool (made on first use, on the
    // main thread). Pictures have a network manager of their own.
    QNetworkAccessManager* networkManager() { return sessionManager(); }

    // ---- kept values (written on the main thread only)
    // The query of the most recent video-list request, stored before it was sent.
    const std::optional<VideoListRequest>& latestRequest() const { return m_latestRequest; }
    void setLatestRequest(const std::optional<VideoListRequest>& request) { m_latestRequest = request; }
    // The last heartbeat reply that arrived and deciphered (none when it did not decode).
    const std::optional<HeartbeatResponse>& heartbeatResponse() const { return m_heartbeatResponse; }
    // The counter an install reply assigns and every heartbeat sends; kept under "ct" in the
    // program's own defaults.
    qint64 ct() const { return m_ct; }
    // The cached base information.
    const std::optional<BaseInfoResponse>& baseInfo() const { return m_baseInfo; }
    // The guide built from the last guide reply that decoded; none while a reply is awaited
    // after one that did not. Readers may keep the pointer; a new reply makes a new model.
    std::shared_ptr<GuideModel> guideModel() const { return m_guideModel; }

    // ---- catalogue requests (501-505)
    // A cached reply is handed over at once, on the caller's thread, and nothing is sent.
    void requestBaseInfo(std::function<void(std::optional<BaseInfoResponse>)> completion);
    // First-page form: the reply (none when there is no usable one), the HTTP status (0 without a
    // response) and whether no HTTP response arrived at all.
    void requestVideoList(const VideoListRequest& request,
                          std::function<void(std::optional<VideoListResponse>, int, bool)> completion);
    // Next-page form: the reply's page of videos. Without a usable reply the latest request's page
    // is lowered by one first, so that the same page is asked for again next time.
    void requestVideoList(const VideoListRequest& request,
                          std::function<void(std::optional<TotalVideo>)> completion);
    // May be called from a work queue; the completion still runs on the main thread (at once on
    // the caller's thread when nothing could be sent). Hands over the reply's record.
    void requestVideoDetail(const QString& sign, std::function<void(std::optional<VideoDetail>)> completion);
    // The suggestions for a typed text, in the server's order.
    void requestKeywords(const QString& typed,
                         std::function<void(std::optional<std::vector<QString>>)> completion);

    // ---- reporting requests
    // Heartbeat (21). A reply that deciphers replaces heartbeatResponse (with none when it does
    // not decode), goes to the completion, then "HeartbeatUpdated" is posted; a failed exchange
    // changes nothing and posts nothing.
    void sendHeartbeat(HeartBeatType kind, const QString& n,
                       std::function<void(std::optional<HeartbeatResponse>)> completion = {});
    // Guide (214). Every reply clears guideModel, sets it again when it decodes, then posts
    // "NewFeatureUpdated" and "leafletUpdated" (user info "leftPanel": the side-panel pictures as
    // a GuideModel::Pictures, only when a model is held).
    void requestGuideInfo();
    // Install or update report (13). The completion gets the opened reply text, or nothing when
    // the exchange failed, the reply does not decipher, or its "data" is not an integer.
    void reportInstall(InstallWay way, const QString& n,
                       std::function<void(std::optional<QString>)> completion = {});
    // Feedback (26); the typed texts travel escaped as JSON strings. A cipher failure calls the
    // completion at once with nothing.
    void sendFeedback(qint64 type, const QString& content, const QString& contact,
                      std::function<void(std::optional<QString>)> completion = {});
    // Crash-log upload (25) as a multipart form: "f" = "25", "i" = the enciphered text, "dmp" =
    // the file. The completion gets the reply text as the server sent it (not deciphered) and
    // whether the server took the log: true only when an HTTP response with a 2xx status arrived,
    // so that a caller deletes a log only once it has really been delivered. A file that cannot be
    // read gives (the reason, false).
    void uploadCrashLog(const QString& filePath,
                        std::function<void(std::optional<QString>, bool)> completion = {});
    // The counter an install reply carries: its "data" when that is an integer (a number without
    // a fraction); none for a text that is not a JSON object or any other "data".
    static std::optional<qint64> installCounter(const QString& replyText);
    // Download report (503). Without a completion the reply is not even opened.
    void reportDownloadStatus(qint64 id, qint64 status,
                              std::function<void(std::optional<QString>)> completion = {});

    // ---- update check (24)
    // The completion runs once on the main thread with the record, or with none when the check
    // failed at any step; at once on the caller's thread when nothing could be sent.
    void checkUpdate(std::function<void(std::optional<UpgradeInfo>)> completion = {});

    // ---- the midnight heartbeat
    // The first fire date for a client made at `now`: the start of the next local day plus
    // r / (2^33 - 1) * 120 seconds (so under a minute). Invalid when the calendar gives no day.
    static QDateTime firstMidnightFireDate(const QDateTime& now, quint32 r);
    // The fire date one calendar day later: the same local clock time, so a day across a
    // daylight-saving change lasts 23 or 25 hours.
    static QDateTime nextMidnightFireDate(const QDateTime& fireDate);
    // When the midnight heartbeat goes next; invalid when none is scheduled.
    QDateTime midnightFireDate() const { return m_midnightFireDate; }
    // Compares the wall clock with the fire date: sends the heartbeat when it is due, then waits
    // again. The timer calls it; so does a wake from sleep.
    void checkMidnightTimer();

    // Sends the guide request; the refresh timer and the main window call it.
    void refreshGudieInfo();

protected:
    struct Reply {
        std::optional<QByteArray> text; // none: the exchange failed or brought no body
        int statusCode = 0;             // the HTTP status, 0 without a response
        bool noResponse = true;         // no HTTP response arrived
    };
    using ReplyHandler = std::function<void(const Reply&)>;

    // The envelope's sending steps: seal, then (on the main thread) POST "f" and "i". Returns the
    // seal's outcome so that each request can do what it must when nothing was sent.
    Envelope::SealStatus send(int operation, const QString& text, const QUrl& endpoint, ReplyHandler handler);
    // The reply text opened: none when there is no text or it does not decipher.
    std::optional<QString> open(const Reply& reply) const;
    QString fullVersion() const;

private slots:
    // logind's PrepareForSleep: false when the machine has woken up.
    void prepareForSleep(bool starting);

private:
    QNetworkAccessManager* sessionManager();
    QNetworkRequest makeRequest(const QUrl& url) const;
    // Collects the reply's body as it arrives, within the size limit, and hands the outcome to
    // `handler` once it finished. `deadline`: the request also fails once its deadline passed.
    void watch(QNetworkReply* reply, ReplyHandler handler, bool deadline = true);
    void startRefreshes();
    void armMidnightTimer();
    void midnightRefresh();
    void onMain(std::function<void()> work);

    QUrl m_baseURL;
    UserDefaults* m_standardDefaults;
    UserDefaults* m_suite;
    NotificationCenter* m_notifications;
    Envelope m_envelope;
    std::function<QDateTime()> m_clock;
    std::function<quint32()> m_random;
    qint64 m_replyLimitBytes;
    std::chrono::milliseconds m_requestDeadline;

    std::optional<VideoListRequest> m_latestRequest;
    std::optional<HeartbeatResponse> m_heartbeatResponse;
    qint64 m_ct = 0;
    std::optional<BaseInfoResponse> m_baseInfo;
    std::shared_ptr<GuideModel> m_guideModel;
    QNetworkAccessManager* m_session = nullptr;
    std::once_flag m_sessionOnce;
    std::once_flag m_userIDOnce;
    QString m_userID;
    QTimer* m_midnightTimer = nullptr;
    QDateTime m_midnightFireDate;
    bool m_alive = true;
};

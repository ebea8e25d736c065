// Decoding one page of the online catalogue: a video-list reply of 1,000 videos, read by the strict
// record layer, against two named baselines: "QJsonDocument", parsing the same text into Qt's JSON
// tree alone (the part of the work no decoder can skip), and "hand-written", the same tree read
// field by field with QJsonObject look-ups written out for this one reply and no checks at all.
#include "BenchReport.h"
#include "VideoListResponse.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

template <typename Fn> double medianMillis(int rounds, Fn fn) {
    std::vector<double> samples;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        fn();
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The baseline reader: what decoding costs without a generic layer and without strictness.
std::optional<VideoListResponse> handWritten(const QByteArray& text) {
    const QJsonObject top = QJsonDocument::fromJson(text).object();
    VideoListResponse reply;
    reply.status = top.value(QLatin1String("status")).toInteger();
    reply.info = top.value(QLatin1String("info")).toString();
    const QJsonObject data = top.value(QLatin1String("data")).toObject();
    reply.data.pages = data.value(QLatin1String("pages")).toInteger();
    reply.data.page = data.value(QLatin1String("page")).toInteger();
    reply.data.total = data.value(QLatin1String("total")).toInteger();
    reply.data.count = data.value(QLatin1String("count")).toInteger();
    const QJsonArray vlist = data.value(QLatin1String("vlist")).toArray();
    reply.data.vlist.reserve(size_t(vlist.size()));
    for (const QJsonValue& item : vlist) {
        const QJsonObject o = item.toObject();
        VideoDetail v;
        v.id = o.value(QLatin1String("id")).toInteger();
        v.sign = o.value(QLatin1String("sign")).toString();
        v.preurl = o.value(QLatin1String("preurl")).toString();
        v.title = o.value(QLatin1String("title")).toString();
        v.url = o.value(QLatin1String("url")).toString();
        v.description = o.value(QLatin1String("description")).toString();
        v.time = o.value(QLatin1String("time")).toInteger();
        v.size = o.value(QLatin1String("size")).toInteger();
        v.imgurl = o.value(QLatin1String("imgurl")).toString();
        v.imgsize = o.value(QLatin1String("imgsize")).toInteger();
        v.tags = o.value(QLatin1String("tags")).toString();
        v.ratio = o.value(QLatin1String("ratio")).toString();
        v.width = o.value(QLatin1String("width")).toInteger();
        v.height = o.value(QLatin1String("height")).toInteger();
        v.frame = o.value(QLatin1String("frame")).toInteger();
        v.rate = o.value(QLatin1String("rate")).toInteger();
        v.audio = o.value(QLatin1String("audio")).toInteger();
        v.uptime = o.value(QLatin1String("uptime")).toString();
        v.down = o.value(QLatin1String("down")).toInteger();
        v.view = o.value(QLatin1String("view")).toInteger();
        v.author = o.value(QLatin1String("author")).toString();
        v.avatar = o.value(QLatin1String("avatar")).toString();
        v.avatarsize = o.value(QLatin1String("avatarsize")).toInteger();
        v.hp = o.value(QLatin1String("hp")).toString();
        v.upcount = o.value(QLatin1String("upcount")).toInteger();
        reply.data.vlist.push_back(std::move(v));
    }
    return reply;
}

QByteArray pageOf(int videos) {
    QJsonArray vlist;
    for (int n = 0; n < videos; ++n) {
        VideoDetail v;
        v.id = 100000 + n;
        v.sign = QString::number(n, 16).rightJustified(32, QLatin1Char('0'));
        v.preurl = QStringLiteral("https://cdn.zerafin.example/preview/%1.mp4").arg(n);
        v.title = QStringLiteral("Wallpaper number %1").arg(n);
        v.url = QStringLiteral("https://cdn.zerafin.example/video/%1.mp4").arg(n);
        v.description =
            QStringLiteral("A calm looping scene for the desktop, item %1 of the catalogue").arg(n);
        v.time = 30000 + n;
        v.size = 52428800 + n;
        v.imgurl = QStringLiteral("https://cdn.zerafin.example/thumb/%1.jpg").arg(n);
        v.imgsize = 40960;
        v.tags = QStringLiteral("nature,sea,calm");
        v.ratio = QStringLiteral("16:9");
        v.width = 1920;
        v.height = 1080;
        v.frame = 30;
        v.rate = 4000000;
        v.audio = n % 2;
        v.uptime = QStringLiteral("2024-05-01 12:00:00");
        v.down = n * 3;
        v.view = n * 7;
        v.author = QStringLiteral("author%1").arg(n % 50);
        v.avatar = QStringLiteral("https://cdn.zerafin.example/avatar/%1.png").arg(n % 50);
        v.avatarsize = 2048;
        v.hp = QStringLiteral("https://www.zerafin.example/u/%1").arg(n % 50);
        v.upcount = 12;
        vlist.append(v.toJsonObject());
    }
    const QJsonObject data{{"pages", 9}, {"page", 1}, {"total", 9000}, {"count", 9000}, {"vlist", vlist}};
    return QJsonDocument(QJsonObject{{"status", 1}, {"info", "ok"}, {"data", data}})
        .toJson(QJsonDocument::Compact);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QByteArray text = pageOf(1000);
    bool decoded = true;
    const double parseMs = medianMillis(31, [&] { decoded &= !QJsonDocument::fromJson(text).isNull(); });
    const double decodeMs = medianMillis(31, [&] {
        const auto page = VideoListResponse::fromJson(text);
        decoded &= page && page->data.vlist.size() == 1000;
    });
    const double handMs = medianMillis(31, [&] { decoded &= handWritten(text)->data.vlist.size() == 1000; });
    decoded &= handWritten(text) == VideoListResponse::fromJson(text);
    std::printf("1,000-video page (%lld bytes): decode %.2f ms; baselines: QJsonDocument parse %.2f ms, "
                "hand-written reader %.2f ms%s\n",
                static_cast<long long>(text.size()), decodeMs, parseMs, handMs,
                decoded ? "" : " (DECODING FAILED)");
    bool ok = decoded;
    ok &= benchLine("decode-1000-video-page", decodeMs, "ms", "<", 20);
    benchLine("decode-1000-video-page-vs-hand-written", decodeMs / std::max(handMs, 0.001), "x", "<=", 1.5);
    std::printf("(parsing alone is %.0f%% of the decode)\n", 100 * parseMs / std::max(decodeMs, 0.001));
    return ok ? 0 : 1;
}

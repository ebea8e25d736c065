#include "VideoDetailSamples.h"

#include <QCryptographicHash>

QString VideoDetailSamples::sign(int n) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::number(n), QCryptographicHash::Md5).toHex());
}

VideoDetail VideoDetailSamples::video(int n) {
    return video(sign(n), n);
}

VideoDetail VideoDetailSamples::video(const QString& sign, int n) {
    VideoDetail v;
    v.id = 1000 + n;
    v.sign = sign;
    v.preurl = QStringLiteral("https://cdn.zerafin.example/preview/%1.mp4").arg(n);
    v.title = QStringLiteral("Wallpaper %1 — Ünïcode").arg(n);
    v.url = QStringLiteral("https://cdn.zerafin.example/video/%1.mp4").arg(n);
    v.description = QStringLiteral("A quiet scene, number %1").arg(n);
    v.time = 30'000 + n;
    v.size = 3LL * 1024 * 1024 * 1024 + n; // beyond 32 bits on purpose
    v.imgurl = QStringLiteral("https://cdn.zerafin.example/thumb/%1.jpg").arg(n);
    v.imgsize = 2048 + n;
    v.tags = QStringLiteral("sea,sky");
    v.ratio = QStringLiteral("16:9");
    v.width = 1920;
    v.height = 1080;
    v.frame = 30;
    v.rate = 4'000'000;
    v.audio = n % 2;
    v.uptime = QStringLiteral("2024-05-0%1").arg(n % 9 + 1);
    v.down = 10 + n;
    v.view = 100 + n;
    v.author = QStringLiteral("author%1").arg(n);
    v.avatar = QStringLiteral("https://cdn.zerafin.example/avatar/%1.png").arg(n);
    v.avatarsize = 512;
    v.hp = QStringLiteral("hp%1").arg(n);
    v.upcount = 7 + n;
    return v;
}

QJsonObject VideoDetailSamples::json(int n) {
    const VideoDetail v = video(n);
    return QJsonObject{{"id", v.id},
                       {"sign", v.sign},
                       {"preurl", v.preurl},
                       {"title", v.title},
                       {"url", v.url},
                       {"description", v.description},
                       {"time", v.time},
                       {"size", v.size},
                       {"imgurl", v.imgurl},
                       {"imgsize", v.imgsize},
                       {"tags", v.tags},
                       {"ratio", v.ratio},
                       {"width", v.width},
                       {"height", v.height},
                       {"frame", v.frame},
                       {"rate", v.rate},
                       {"audio", v.audio},
                       {"uptime", v.uptime},
                       {"down", v.down},
                       {"view", v.view},
                       {"author", v.author},
                       {"avatar", v.avatar},
                       {"avatarsize", v.avatarsize},
                       {"hp", v.hp},
                       {"upcount", v.upcount}};
}

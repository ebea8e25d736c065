// The protocol test server as a program of its own, for scripts and manual runs:
//   zerafin_test_server [--port N] [--serve NAME=PATH]... [--catalogue FILE.json]
//                       [--sample-videos N] [--update-version VER] [--delay MS] [--fail MODE]
//                       [--library DIR] [--category ID=TITLE]... [--hot-tags A,B] [--hot-keys A,B]
//                       [--keywords A,B] [--news TEXT|URL|#COLOR] [--leaflet PICTURE]
//                       [--file-rate BYTES] [--overrun MODE] [--quiet]
// It prints "listening http://127.0.0.1:<port>" once it listens, then one line per request
// ("<method> <path> f=<op> <deciphered request text>") unless --quiet. Runs until killed.
//   --catalogue   a JSON array of video records answered by the catalogue operations
//   --sample-videos N  N small generated files served as <sign>.mp4 and listed in the catalogue
//   --library DIR every DIR/*.mp4 (in name order) served and listed, titled by its file name, its
//                 thumbnail DIR/<name>.jpg or .png when there is one; spread over the categories.
//                 DIR/<name>.json, when there is one, is a JSON object whose members replace the
//                 record's (the clip's true width, height, time, downloads, upload time, ...)
//   --category    a category of the catalogue menu (repeatable), in order
//   --hot-tags, --hot-keys, --keywords  the hot-tag row, the popup's hot keywords, the keywords
//                 suggested while typing (each comma-separated)
//   --news        the news message of the heartbeat: its text, address and colour
//   --leaflet     a PNG or JPEG picture shown as the side bar's leaflet (guide information)
//   --file-rate   served files flow at this many bytes per second
//   --fail MODE   server-error | garbage | empty | drop | close | stall | stall-mid-body, for
//                 every request
//   --overrun MODE  served files run on past their end with zero bytes: announced:BYTES (counted
//                 in the Content-Length), unannounced:BYTES (no length, the connection closes
//                 after them) or endless
#include "Console.h"
#include "ProtocolTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });
    std::signal(SIGINT, [](int) { QCoreApplication::quit(); });

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"port", "Port to listen on (0: a free one).", "port", "0"});
    parser.addOption({"serve", "Serve a file under /files/NAME.", "name=path"});
    parser.addOption({"catalogue", "JSON array of video records.", "file"});
    parser.addOption({"sample-videos", "Generate and serve N sample videos.", "count", "0"});
    parser.addOption({"delay", "Delay every answer by MS milliseconds.", "ms", "0"});
    parser.addOption({"fail", "Failure for every request.", "mode"});
    parser.addOption({"update-version", "Version the update check offers.", "version"});
    parser.addOption({"library", "Serve and list every .mp4 file of a folder.", "dir"});
    parser.addOption({"category", "A category of the catalogue (repeatable).", "id=title"});
    parser.addOption({"hot-tags", "Hot tags, comma-separated.", "tags"});
    parser.addOption({"hot-keys", "Hot keywords of the search popup, comma-separated.", "keys"});
    parser.addOption({"keywords", "Keywords suggested while typing, comma-separated.", "words"});
    parser.addOption({"news", "The heartbeat's news message.", "text|url|#color"});
    parser.addOption({"leaflet", "The side bar's leaflet picture (PNG or JPEG).", "file"});
    parser.addOption({"file-rate", "Serve files at this many bytes per second.", "bytes", "0"});
    parser.addOption({"overrun", "Zero bytes after every served file.", "announced:N|unannounced:N|endless"});
    parser.addOption({"quiet", "Do not print requests."});
    parser.process(app);

    ProtocolTestServer server;
    for (const QString& serve : parser.values("serve")) {
        const qsizetype equals = serve.indexOf('=');
        if (equals <= 0) {
            Console::line("bad --serve value: " + serve);
            return 2;
        }
        server.serveFilePath(serve.left(equals), serve.mid(equals + 1));
    }
    if (parser.isSet("catalogue")) {
        QFile file(parser.value("catalogue"));
        const QJsonDocument document =
            file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()) : QJsonDocument();
        if (!document.isArray()) {
            Console::line("the catalogue is not a JSON array: " + file.fileName());
            return 2;
        }
        for (const QJsonValue& video : document.array())
            server.addVideo(video.toObject());
    }
    if (parser.isSet("update-version"))
        server.setUpdateData(QJsonObject{{"url", "https://www.zerafin.example/download"},
                                         {"md5", ""},
                                         {"ver", parser.value("update-version")},
                                         {"exp", "A newer version is ready."}});
    server.setDelay(std::chrono::milliseconds(parser.value("delay").toLongLong()));
    server.setFileRate(parser.value("file-rate").toLongLong());
    if (parser.isSet("fail")) {
        const QString mode = parser.value("fail");
        using F = ProtocolTestServer::Failure;
        const QHash<QString, F> modes{{"server-error", F::serverError}, {"garbage", F::garbage},
                                      {"empty", F::emptyBody},          {"drop", F::dropMidBody},
                                      {"close", F::closeConnection},    {"stall", F::stall}};
        if (!modes.contains(mode)) {
            Console::line("unknown --fail mode: " + mode);
            return 2;
        }
        server.setFailure(modes.value(mode));
    }
    if (parser.isSet("overrun")) {
        using O = ProtocolTestServer::Overrun;
        const QStringList parts = parser.value("overrun").split(':');
        const QHash<QString, O> modes{
            {"announced", O::announced}, {"unannounced", O::unannounced}, {"endless", O::endless}};
        qint64 extra = 0;
        bool valid = false;
        if (parts.at(0) == "endless")
            valid = parts.size() == 1;
        else if (modes.contains(parts.at(0)) && parts.size() == 2) {
            extra = parts.at(1).toLongLong(&valid);
            valid = valid && extra >= 0;
        }
        if (!valid) {
            Console::line("bad --overrun value: " + parser.value("overrun"));
            return 2;
        }
        server.setOverrun(modes.value(parts.at(0)), extra);
    }
    if (!parser.isSet("quiet"))
        server.setRequestObserver([](const ProtocolTestServer::ReceivedRequest& request) {
            QString line = QString::fromLatin1(request.method) + ' ' + request.path;
            if (!request.operation.isEmpty())
                line += " f=" + request.operation + ' ' + request.text.value_or("<undecipherable>");
            else if (!request.header("Range").isEmpty())
                line += " Range: " + QString::fromLatin1(request.header("Range"));
            Console::line(line);
        });
    if (!server.start(quint16(parser.value("port").toUInt()))) {
        Console::line("cannot listen on port " + parser.value("port"));
        return 1;
    }
    QList<qint64> categoryIds;
    QJsonArray categories;
    for (const QString& category : parser.values("category")) {
        const qsizetype equals = category.indexOf('=');
        bool numeric = false;
        const qint64 id = category.left(equals).toLongLong(&numeric);
        if (equals <= 0 || !numeric) {
            Console::line("bad --category value: " + category);
            return 2;
        }
        categoryIds.append(id);
        categories.append(QJsonObject{{"id", id}, {"title", category.mid(equals + 1)}});
    }
    server.setCategories(categories);
    const auto list = [&](const char* option) { return parser.value(option).split(',', Qt::SkipEmptyParts); };
    server.setHotTags(list("hot-tags"));
    server.setHotKeys(list("hot-keys"));
    server.setKeywords(list("keywords"));
    if (parser.isSet("news")) {
        const QStringList parts = parser.value("news").split('|');
        if (parts.size() != 3) {
            Console::line("bad --news value: " + parser.value("news"));
            return 2;
        }
        QJsonObject heartbeat = ProtocolTestServer::defaultHeartbeatData();
        QJsonObject msg = heartbeat["msg"].toObject();
        msg["msg_bottom"] =
            QJsonObject{{"msgid", 1}, {"msg", parts[0]}, {"url", parts[1]}, {"color", parts[2]}, {"back", 0}};
        heartbeat["msg"] = msg;
        server.setHeartbeatData(heartbeat);
    }
    if (parser.isSet("leaflet")) {
        QFile picture(parser.value("leaflet"));
        if (!picture.open(QIODevice::ReadOnly)) {
            Console::line("cannot read the leaflet " + picture.fileName());
            return 2;
        }
        const QByteArray type = picture.fileName().endsWith(".png", Qt::CaseInsensitive) ? "png" : "jpeg";
        QJsonObject guide = ProtocolTestServer::defaultGuideData();
        guide["leftPanel"] =
            QJsonArray{QString::fromLatin1("data:image/" + type + ";base64," + picture.readAll().toBase64())};
        server.setGuideData(guide);
    }
    if (parser.isSet("library")) {
        const QDir folder(parser.value("library"));
        const QFileInfoList files = folder.entryInfoList({"*.mp4"}, QDir::Files, QDir::Name);
        QHash<qint64, QStringList> members;
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QFileInfo& info = files.at(i);
            QFile file(info.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                Console::line("cannot read " + info.filePath());
                return 2;
            }
            const QString sign = ProtocolTestServer::signOf(file.read(10485760));
            const QString url = server.serveFilePath(sign + ".mp4", info.filePath()).toString();
            QJsonObject video =
                ProtocolTestServer::videoRecord(sign, info.completeBaseName(), url, info.size());
            video["preurl"] = url;
            video["time"] = 10000;
            QFile facts(folder.filePath(info.completeBaseName() + ".json"));
            if (facts.exists()) {
                QJsonParseError error;
                const QJsonDocument document = QJsonDocument::fromJson(
                    facts.open(QIODevice::ReadOnly) ? facts.readAll() : QByteArray(), &error);
                if (!document.isObject()) {
                    Console::line("not a JSON object: " + facts.fileName());
                    return 2;
                }
                const QJsonObject object = document.object();
                for (auto it = object.begin(); it != object.end(); ++it)
                    video[it.key()] = it.value();
            }
            for (const char* suffix : {".jpg", ".png"}) {
                const QFileInfo picture(folder.filePath(info.completeBaseName() + suffix));
                if (!picture.isFile())
                    continue;
                const QString address = server.serveFilePath(sign + suffix, picture.filePath()).toString();
                video["imgurl"] = address;
                video["imgsize"] = picture.size();
                video["avatar"] = address;
                video["avatarsize"] = picture.size();
                break;
            }
            server.addVideo(video);
            if (!categoryIds.isEmpty())
                members[categoryIds.at(i % categoryIds.size())].append(sign);
        }
        for (auto it = members.cbegin(); it != members.cend(); ++it)
            server.setCategoryVideos(it.key(), it.value());
    }
    const int samples = parser.value("sample-videos").toInt();
    for (int i = 0; i < samples; ++i) {
        QByteArray body(256 * 1024 + i * 4096, Qt::Uninitialized);
        for (qsizetype b = 0; b < body.size(); ++b)
            body[b] = char((b * 31 + i * 7) & 0xff);
        server.addSampleVideo(QStringLiteral("Sample %1").arg(i + 1), body);
    }
    Console::line("listening " + server.baseUrl().toString());
    return app.exec();
}

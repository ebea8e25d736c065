// Round trips through the enciphered envelope against the protocol test server on loopback: the
// request text enciphered, form-posted, the reply deciphered (WebModel's download report, whose
// reply is opened but not decoded). Named baseline "plain-post": the same client posting a body of
// the same size that neither side enciphers, to a route the server answers without the envelope.
// Both run sequentially (one request in flight), in the same process and event loop as the server.
#include "BenchReport.h"
#include "ProtocolTestServer.h"
#include "UserDefaults.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

namespace {
// Runs `count` sequential exchanges; returns exchanges per second.
double perSecond(int count, const std::function<void(std::function<void()>)>& exchange) {
    QEventLoop loop;
    int done = 0;
    std::function<void()> next = [&] {
        if (++done >= count) {
            loop.quit();
            return;
        }
        exchange(next);
    };
    QElapsedTimer timer;
    timer.start();
    exchange(next);
    loop.exec();
    return count / (timer.nsecsElapsed() / 1e9);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    UserDefaults standard(dir.filePath("standard.ini"));
    UserDefaults suite(dir.filePath("suite.ini"));
    suite.setString("6F1B8E0C-2C3A-4F55-9D0B-7E3A1C2B4D5E", "uuid");

    ProtocolTestServer server;
    if (!server.start()) {
        std::fprintf(stderr, "cannot start the test server\n");
        return 1;
    }
    WebModel::Options options;
    options.baseURL = server.baseUrl();
    options.standardDefaults = &standard;
    options.suite = &suite;
    options.scheduleRefreshes = false;
    WebModel client(options);

    int failures = 0;
    const auto enveloped = [&](std::function<void()> next) {
        client.reportDownloadStatus(12, 1, [&, next](std::optional<QString> text) {
            failures += text ? 0 : 1;
            next();
        });
    };

    QNetworkAccessManager plainClient;
    QUrl plainUrl = server.baseUrl();
    plainUrl.setPath("/plain");
    const QByteArray plainBody = "f=503&i=" + QByteArray(88, 'A'); // the size of the real form
    const auto plain = [&](std::function<void()> next) {
        QNetworkRequest request(plainUrl);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        request.setTransferTimeout(2000);
        QNetworkReply* reply = plainClient.post(request, plainBody);
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, next] {
            reply->readAll();
            reply->deleteLater();
            next();
        });
    };

    perSecond(200, enveloped); // warm both connections up
    perSecond(200, plain);
    std::vector<double> envelopeRates;
    std::vector<double> plainRates;
    for (int round = 0; round < 7; ++round) {
        envelopeRates.push_back(perSecond(500, enveloped));
        plainRates.push_back(perSecond(500, plain));
        server.clearRequests();
    }
    const double envelopeRate = median(envelopeRates);
    const double plainRate = median(plainRates);
    std::printf("envelope round trips: %.0f/s, plain-post: %.0f/s, failures: %d\n", envelopeRate, plainRate,
                failures);
    bool pass = benchLine("envelope-roundtrips", envelopeRate, "per-s", ">=", 500);
    pass = benchLine("envelope-vs-plain-post", envelopeRate / plainRate, "x", ">=", 0.7) && pass;
    return pass && failures == 0 ? 0 : 1;
}

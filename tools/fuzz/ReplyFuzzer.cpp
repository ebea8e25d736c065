// Every reply the server can send, opened and decoded: the input is taken as a reply body
// (strict Base64, decipher, padding, UTF-8, NUL removal) and, since random bytes seldom decipher,
// also as the deciphered JSON text itself. Each reply type decodes it, the guide builds its
// pictures, and the install and update readers parse it.
#include "BaseInfoResponse.h"
#include "Envelope.h"
#include "GuideModel.h"
#include "HeartbeatResponse.h"
#include "KeywordResponse.h"
#include "UpgradeInfo.h"
#include "VideoDetailResponse.h"
#include "VideoListRequest.h"
#include "VideoListResponse.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

namespace {
void decodeEveryReply(const QByteArray& json) {
    (void)BaseInfoResponse::fromJson(json);
    (void)VideoListResponse::fromJson(json);
    (void)VideoDetailResponse::fromJson(json);
    (void)KeywordResponse::fromJson(json);
    (void)VideoListRequest::fromJson(json);
    if (const auto heartbeat = HeartbeatResponse::fromJson(json))
        (void)heartbeat->toJson();
    if (auto guide = GuideResponse::fromJson(json)) {
        GuideModel model(std::move(*guide));
        model.loadImages();
    }
    const QString text = QString::fromUtf8(json);
    (void)WebModel::installCounter(text);
    (void)UpgradeInfo::fromUpdateReply(text);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Picture decoding looks for image plugins through the application object.
    static QCoreApplication app(*argc, *argv);
    // Damaged pictures make the image readers complain on every run; the findings that matter
    // are the sanitizers' own.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    static const Envelope envelope;
    if (const auto opened = envelope.open(input))
        decodeEveryReply(opened->toUtf8());
    decodeEveryReply(input);
    return 0;
}

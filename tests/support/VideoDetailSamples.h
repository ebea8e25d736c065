#pragma once

#include "VideoDetail.h"

#include <QJsonObject>
#include <QString>

// Complete video records and their JSON objects for tests.
class VideoDetailSamples {
public:
    // A record with every field set to a distinct value; `sign` as given or derived from `n`.
    static VideoDetail video(int n = 1);
    static VideoDetail video(const QString& sign, int n = 1);
    // The JSON object a server would send for video(n), keys exactly as on the wire.
    static QJsonObject json(int n = 1);
    // A 32-digit lower-case hexadecimal sign derived from n.
    static QString sign(int n);
};

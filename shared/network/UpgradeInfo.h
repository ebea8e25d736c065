#pragma once

#include <QString>

// The server's answer to the update check: where the new version is, its digest, its version text
// and its release notes.
struct UpgradeInfo {
    QString url;
    QString md5;
    QString ver;
    QString exp;
};

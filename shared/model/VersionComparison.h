#pragma once

#include <QString>

// Orders version texts such as "1.2.0.16" the way people read them: dot-separated parts compared
// one by one, as numbers when both parts are numbers, as text otherwise, a missing part counting
// as "0". Comparing the whole texts character by character would rank "1.2.0.9" above "1.2.0.15"
// and offer an older build as an update.
class VersionComparison {
public:
    // Negative when `a` is older than `b`, zero when they name the same version, positive when newer.
    static int compare(const QString& a, const QString& b);
    // True when `candidate` names a newer version than `running`. An empty candidate is never newer.
    static bool isNewer(const QString& candidate, const QString& running);
};

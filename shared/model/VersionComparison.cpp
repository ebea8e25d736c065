#include "VersionComparison.h"

#include <QStringList>
#include <algorithm>

namespace {
bool isNumber(const QString& part) {
    return !part.isEmpty() && std::all_of(part.begin(), part.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// Numbers of any length, without overflow: drop leading zeros, then the longer is larger, and
// equal lengths compare digit by digit.
int compareNumbers(const QString& a, const QString& b) {
    auto significant = [](const QString& n) {
        qsizetype i = 0;
        while (i + 1 < n.size() && n.at(i) == QLatin1Char('0'))
            ++i;
        return n.mid(i);
    };
    const QString x = significant(a);
    const QString y = significant(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}

int sign(int value) {
    return (value > 0) - (value < 0);
}
} // namespace

int VersionComparison::compare(const QString& a, const QString& b) {
    const QStringList left = a.trimmed().split(QLatin1Char('.'));
    const QStringList right = b.trimmed().split(QLatin1Char('.'));
    const qsizetype count = std::max(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString x = i < left.size() ? left.at(i) : QStringLiteral("0");
        const QString y = i < right.size() ? right.at(i) : QStringLiteral("0");
        const int order = isNumber(x) && isNumber(y) ? compareNumbers(x, y) : sign(x.compare(y));
        if (order != 0)
            return order;
    }
    return 0;
}

bool VersionComparison::isNewer(const QString& candidate, const QString& running) {
    if (candidate.trimmed().isEmpty())
        return false;
    return compare(candidate, running) > 0;
}

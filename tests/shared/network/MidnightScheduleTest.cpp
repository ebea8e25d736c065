#include "WebModel.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
QDateTime at(const char* zone, int y, int m, int d, int h, int min, int s) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s), QTimeZone(zone));
}
constexpr qint64 hour = 3600 * 1000;
} // namespace

TEST(MidnightSchedule, FirstFireDateIsTheComingMidnightPlusUnderAMinute) {
    const QDateTime lateEvening = at("Europe/Berlin", 2026, 6, 10, 23, 59, 59);
    const QDateTime midnight = at("Europe/Berlin", 2026, 6, 11, 0, 0, 0);
    EXPECT_EQ(WebModel::firstMidnightFireDate(lateEvening, 0), midnight);
    EXPECT_EQ(lateEvening.msecsTo(WebModel::firstMidnightFireDate(lateEvening, 0)), 1000);

    // The offset is r / (2^33 - 1) * 120 s: the largest r gives just under 60 s.
    const qint64 largest = midnight.msecsTo(WebModel::firstMidnightFireDate(lateEvening, 4294967295u));
    EXPECT_GE(largest, 59999);
    EXPECT_LT(largest, 60000);
    EXPECT_EQ(midnight.msecsTo(WebModel::firstMidnightFireDate(lateEvening, 2147483648u)), 30000);

    // Made exactly at midnight: the next one, a whole day later.
    EXPECT_EQ(WebModel::firstMidnightFireDate(midnight, 0), midnight.addDays(1));
    EXPECT_EQ(midnight.msecsTo(WebModel::firstMidnightFireDate(midnight, 0)), 24 * hour);
}

TEST(MidnightSchedule, ReArmingKeepsTheLocalClockTimeAcrossDaylightSaving) {
    // Berlin springs forward on 29 March 2026 and falls back on 25 October 2026.
    const QDateTime spring =
        WebModel::firstMidnightFireDate(at("Europe/Berlin", 2026, 3, 28, 12, 0, 0), 858993460u);
    EXPECT_EQ(spring.time(), QTime(0, 0, 12));
    const QDateTime afterSpring = WebModel::nextMidnightFireDate(spring);
    EXPECT_EQ(afterSpring.date(), QDate(2026, 3, 30));
    EXPECT_EQ(afterSpring.time(), QTime(0, 0, 12));
    EXPECT_EQ(spring.msecsTo(afterSpring), 23 * hour);

    const QDateTime autumn = WebModel::firstMidnightFireDate(at("Europe/Berlin", 2026, 10, 24, 8, 0, 0), 0);
    EXPECT_EQ(autumn.msecsTo(WebModel::nextMidnightFireDate(autumn)), 25 * hour);

    // Where the change skips midnight itself, the day starts at the first moment that exists.
    const QDateTime skipped =
        WebModel::firstMidnightFireDate(at("America/Sao_Paulo", 2018, 11, 3, 22, 0, 0), 0);
    EXPECT_EQ(skipped.date(), QDate(2018, 11, 4));
    EXPECT_EQ(skipped.time(), QTime(1, 0, 0));
}

TEST(MidnightSchedule, AnInvalidClockSchedulesNothing) {
    EXPECT_FALSE(WebModel::firstMidnightFireDate(QDateTime(), 0).isValid());
}

// Plays "the other program" on the local library: opens the database file given as the first
// argument and, for n = 0 .. COUNT-1, inserts the sample video "PREFIX-n" and deletes it again
// when n is even.
//   localdb_writer FILE PREFIX COUNT
#include "LocalVideoDBManager.h"
#include "VideoDetailSamples.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: localdb_writer FILE PREFIX COUNT\n");
        return 2;
    }
    LocalVideoDBManager db(args.at(1));
    const int count = args.at(3).toInt();
    int failures = 0;
    for (int n = 0; n < count; ++n) {
        const QString sign = args.at(2) + QLatin1Char('-') + QString::number(n);
        if (!db.insert(VideoDetailSamples::video(sign, n)))
            ++failures;
        if (n % 2 == 0 && !db.deleteBySign(sign))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}

#include "StringRandom.h"

#include <QRandomGenerator>

const QString& StringRandom::alphabet() {
    static const QString letters =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    return letters;
}

QString StringRandom::random(qsizetype length) {
    const QString& letters = alphabet();
    QString result;
    if (length <= 0)
        return result;
    result.reserve(length);
    // The global generator is seeded by the system and safe to share between threads.
    QRandomGenerator* generator = QRandomGenerator::global();
    for (qsizetype i = 0; i < length; ++i)
        result.append(letters.at(generator->bounded(int(letters.size()))));
    return result;
}

#pragma once

#include <QString>
#include <QStringList>

// Why reading or writing a record failed, and where: the chain of keys and list positions
// ("Index 3") from the top of the document down to the value in hand.
struct CodingError {
    enum class Kind { keyNotFound, valueNotFound, typeMismatch, dataCorrupted, invalidValue };

    Kind kind = Kind::dataCorrupted;
    QStringList codingPath;
    QString debugDescription;

    // One line for diagnostics: kind, path and description.
    QString description() const;
};

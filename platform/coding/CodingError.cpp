#include "CodingError.h"

QString CodingError::description() const {
    QString name;
    switch (kind) {
    case Kind::keyNotFound:
        name = QStringLiteral("keyNotFound");
        break;
    case Kind::valueNotFound:
        name = QStringLiteral("valueNotFound");
        break;
    case Kind::typeMismatch:
        name = QStringLiteral("typeMismatch");
        break;
    case Kind::dataCorrupted:
        name = QStringLiteral("dataCorrupted");
        break;
    case Kind::invalidValue:
        name = QStringLiteral("invalidValue");
        break;
    }
    return name + QStringLiteral(" at [") + codingPath.join(QStringLiteral(", ")) + QStringLiteral("]: ") +
           debugDescription;
}

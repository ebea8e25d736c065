#include "JSONNull.h"

bool JSONNull::decode(Decoder& decoder, JSONNull& out) {
    if (decoder.decodeNil()) {
        out = JSONNull();
        return true;
    }
    decoder.error() = {CodingError::Kind::typeMismatch, decoder.codingPath(),
                       QStringLiteral("Wrong type for JSONNull")};
    return false;
}

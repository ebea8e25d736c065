#pragma once

#include <QStringView>

// One field of a record as its coders see it: the key it has in a document and the member that
// holds it. A record lists its fields once, in declaration order, from a static codingFields():
//
//     static auto codingFields() {
//         return std::tuple{codingField(u"id", &VideoDetail::id), codingField(u"sign", &VideoDetail::sign)};
//     }
//
// and the generic coders (Coding.h) read and write every record from that list alone.
template <typename Record, typename Member> struct CodingField {
    using RecordType = Record;
    using MemberType = Member;

    QStringView key;
    Member Record::*member;
};

template <typename Record, typename Member>
constexpr CodingField<Record, Member> codingField(QStringView key, Member Record::*member) {
    return {key, member};
}

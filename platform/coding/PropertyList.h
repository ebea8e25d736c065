#pragma once

#include <QByteArray>
#include <QVariant>
#include <optional>

// Property lists in their XML and binary forms, read and written over QVariant values:
//   <string>   QString          <integer>  qint64 (any integral QVariant when writing)
//   <real>     double           <true/>/<false/>  bool
//   <data>     QByteArray       <date>     QDateTime (UTC)
//   <array>    QVariantList     <dict>     QVariantMap (keys written in sorted order)
// The writer produces the standard header and tab indentation; the XML reader accepts any
// well-formed XML property list and refuses anything else (wrong root, unknown element, bad number or Base64,
// nesting deeper than a damaged file could ever need).
class PropertyList {
public:
    static QByteArray toXml(const QVariant& root);
    // None when the value holds something a property list cannot hold.
    static std::optional<QByteArray> tryToXml(const QVariant& root);
    static std::optional<QVariant> fromXml(const QByteArray& bytes);
    // The binary form ("bplist00"); object references appear as uid() dictionaries, and such
    // dictionaries are written as references. None (or empty) as for the XML form.
    static QByteArray toBinary(const QVariant& root);
    static std::optional<QByteArray> tryToBinary(const QVariant& root);
    static std::optional<QVariant> fromBinary(const QByteArray& bytes);
    // Either form, told apart by the binary header.
    static std::optional<QVariant> fromData(const QByteArray& bytes);

    // The object reference of a keyed archive, written in XML as a dictionary holding only
    // "CF$UID" with an integer.
    static QVariantMap uid(qint64 index);
    static std::optional<qint64> uidValue(const QVariant& value);
};

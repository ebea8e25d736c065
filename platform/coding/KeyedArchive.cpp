#include "KeyedArchive.h"

#include "PropertyList.h"

#include <QVariantList>
#include <QVariantMap>

namespace {
const QString archiverKey = QStringLiteral("$archiver");
const QString objectsKey = QStringLiteral("$objects");
const QString topKey = QStringLiteral("$top");
const QString versionKey = QStringLiteral("$version");
const QString archiverName = QStringLiteral("NSKeyedArchiver");
constexpr qint64 archiveVersion = 100000;
} // namespace

QByteArray KeyedArchive::archiveRootData(const QByteArray& data) {
    const QVariantMap archive{
        {archiverKey, archiverName},
        {objectsKey, QVariantList{QStringLiteral("$null"), data}},
        {topKey, QVariantMap{{QStringLiteral("root"), PropertyList::uid(1)}}},
        {versionKey, archiveVersion},
    };
    return PropertyList::toBinary(archive);
}

std::optional<QByteArray> KeyedArchive::unarchiveRootData(const QByteArray& bytes) {
    const std::optional<QVariant> plist = PropertyList::fromData(bytes);
    if (!plist || plist->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap archive = plist->toMap();
    if (archive.value(archiverKey).toString() != archiverName)
        return std::nullopt;
    const QVariant objects = archive.value(objectsKey);
    const QVariant top = archive.value(topKey);
    if (objects.typeId() != QMetaType::QVariantList || top.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const std::optional<qint64> root = PropertyList::uidValue(top.toMap().value(QStringLiteral("root")));
    const QVariantList table = objects.toList();
    if (!root || *root < 0 || *root >= table.size())
        return std::nullopt;
    const QVariant object = table.at(*root);
    if (object.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return object.toByteArray();
}

// The stored files the programs read back at start, opened from any bytes: the download store
// ("downloadInfo.bat": a keyed archive around a property list of items), the resume data of a
// stopped transfer, and the search history ("searchHistory.info"). Whatever reads back is written
// again in both forms and read once more, so the writers see every value the readers can make.
#include "DownloadStore.h"
#include "KeyedArchive.h"
#include "PropertyList.h"
#include "ResumeData.h"
#include "SearchHistoryManager.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto entries = DownloadStore::unarchive(input))
        (void)DownloadStore::unarchive(DownloadStore::archive(*entries));
    // The inner list on its own, as if it had come out of a well-formed archive.
    (void)DownloadStore::unarchive(KeyedArchive::archiveRootData(input));
    if (const auto value = PropertyList::fromData(input)) {
        if (const auto binary = PropertyList::tryToBinary(*value))
            (void)PropertyList::fromData(*binary);
        if (const auto xml = PropertyList::tryToXml(*value))
            (void)PropertyList::fromData(*xml);
    }
    if (const auto resume = ResumeData::decode(input))
        (void)ResumeData::decode(resume->encode());
    (void)SearchHistoryManager::historyFromData(input);
    return 0;
}

// Writes or reads a download store file ("downloadInfo.bat"), for checks by an independent
// property-list reader:
//   download_store_file write FILE   two sample downloads, the second without a cache address
//   download_store_file read FILE    prints one line per entry: sign, title, cache address or "-"
#include "DownloadStore.h"
#include "VideoDetailSamples.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: download_store_file write|read FILE\n");
        return 2;
    }
    QFile file(args.at(2));
    if (args.at(1) == QLatin1String("write")) {
        DownloadStore first{VideoDetailSamples::video(1),
                            QUrl::fromLocalFile("/home/user/.cache/Caches/resume-1.plist")};
        DownloadStore second{VideoDetailSamples::video(2), std::nullopt};
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(DownloadStore::archive({first, second}));
        return 0;
    }
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const auto entries = DownloadStore::unarchive(file.readAll());
    if (!entries)
        return 1;
    for (const DownloadStore& entry : *entries)
        std::printf("%s %s %s\n", qPrintable(entry.videoInfo.sign), qPrintable(entry.videoInfo.title),
                    entry.cacheURL ? qPrintable(entry.cacheURL->toString()) : "-");
    return 0;
}

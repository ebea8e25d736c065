// Adds one video to a library database the way the main program's import does, for scripts:
//   library_add DATABASE SIGN LOCATION
// LOCATION is stored in "url" as given (a plain absolute path or a file URL text).
#include "LocalVideoDBManager.h"
#include "VideoDetail.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: library_add DATABASE SIGN LOCATION\n");
        return 2;
    }
    LocalVideoDBManager db(args.at(1));
    VideoDetail video;
    video.sign = args.at(2);
    video.title = QFileInfo(args.at(3)).completeBaseName();
    video.url = args.at(3);
    return db.insert(video) ? 0 : 1;
}

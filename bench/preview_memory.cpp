// The driver of preview-memory.sh: opens the program's preview window on a clip address, lets it
// play, closes it, and does that again, the way the main application does (the same presenter,
// the same player, the shared OpenGL context made on the first preview). Prints its resident
// memory before the first preview and after each cycle:
//   preview_memory URL [CYCLES]
//   "rss start <kB> anon <kB> file <kB>", then "rss cycle <n> <kB> anon <kB> file <kB> frames <count>"
//   per cycle.
#include "MallocTuning.h"
#include "MpvPlayer.h"
#include "PreviewVideoWindow.h"
#include "PreviewWindowPresenter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QOpenGLContext>
#include <QTimer>
#include <cstdio>

Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {
// A line of /proc/self/status in kilobytes ("VmRSS", "RssAnon", "RssFile").
long statusKilobytes(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLong();
    return 0;
}

// "<resident> anon <anonymous> file <file-backed>", in kilobytes.
QByteArray memoryLine() {
    return QByteArray::number(qlonglong(statusKilobytes("VmRSS"))) + " anon " +
           QByteArray::number(qlonglong(statusKilobytes("RssAnon"))) + " file " +
           QByteArray::number(qlonglong(statusKilobytes("RssFile")));
}

// Runs the event loop until `done` or the time is up.
template <typename Done> bool spin(Done done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return done();
}

void settle(int milliseconds) {
    spin([] { return false; }, milliseconds);
}
} // namespace

int main(int argc, char* argv[]) {
    MallocTuning::shareOneArena(); // as the main application starts
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: preview_memory URL [CYCLES]\n");
        return 2;
    }
    const QUrl url(args.at(1));
    const int cycles = args.size() > 2 ? args.at(2).toInt() : 10;

    PreviewWindowPresenter presenter(
        [] {
            // As the main application does: the context the player and the view share is made
            // when the first preview needs it.
            if (!QOpenGLContext::globalShareContext()) {
                auto* context = new QOpenGLContext(qApp);
                context->create();
                qt_gl_set_global_share_context(context);
            }
            MpvPlayer::Options options;
            options.allowWebAddresses = true;
            return std::unique_ptr<Player>(new MpvPlayer(options));
        },
        [](const QUrl& address) {
            std::fprintf(stderr, "not played: %s\n", qPrintable(address.toString()));
        });

    settle(1000);
    std::printf("rss start %s\n", memoryLine().constData());
    std::fflush(stdout);
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        presenter.showPreviewWindow(url);
        PreviewVideoWindow* window = presenter.webViewWindow();
        int frames = 0;
        if (Player* player = window->player())
            QObject::connect(player, &Player::frameReady, [&frames] { ++frames; });
        // About two seconds of picture, as someone glancing at a preview would watch.
        spin([&] { return frames >= 60; }, 15000);
        window->close();
        settle(500);
        std::printf("rss cycle %d %s frames %d\n", cycle, memoryLine().constData(), frames);
        std::fflush(stdout);
    }
    return 0;
}

#include "MarkupProbe.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QTextDocument>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

MarkupProbe::MarkupProbe(const QString& folder) {
    QDir().mkpath(folder);
    m_picture = QDir(folder).filePath(QStringLiteral("p.png"));
    m_fifo = QDir(folder).filePath(QStringLiteral("f"));
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(m_picture);
    ::mkfifo(QFile::encodeName(m_fifo).constData(), 0600);
    // Both a path and a file address, the two ways a picture names a local file; the bold tag, the
    // ampersand, the entity and the tab each show differently once read as markup or as a title.
    m_text = QStringLiteral("<img src=\"%1\"><img src=\"%2\"><b>Sea</b> R&B &lt;3\tend")
                 .arg(QUrl::fromLocalFile(m_picture).toString(), m_fifo);

    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0)
        ::inotify_add_watch(m_watch, QFile::encodeName(m_picture).constData(), IN_OPEN);

    const QByteArray fifo = QFile::encodeName(m_fifo);
    m_releaser = std::thread([this, fifo] {
        while (!m_stop.load()) {
            // Succeeds only while a reader has the FIFO open, or waits in its open.
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ++m_fifoReaders;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
}

MarkupProbe::~MarkupProbe() {
    m_stop = true;
    m_releaser.join();
    if (m_watch >= 0)
        ::close(m_watch);
}

QStringList MarkupProbe::opened() {
    QStringList found;
    if (m_watch >= 0) {
        alignas(inotify_event) char buffer[4096];
        bool picture = false;
        for (;;) {
            const ssize_t read = ::read(m_watch, buffer, sizeof buffer);
            if (read <= 0)
                break;
            for (ssize_t at = 0; at < read;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                picture = picture || (event->mask & IN_OPEN);
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
        if (picture)
            found << QStringLiteral("picture");
    }
    if (m_fifoReaders.load() > 0)
        found << QStringLiteral("fifo");
    return found;
}

QString MarkupProbe::shownByLabel(const QString& text, int textFormat) {
    const auto format = Qt::TextFormat(textFormat);
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    // Laid out without loading anything: only the text is wanted.
    QTextDocument document;
    document.setHtml(QString(text).replace(QLatin1String("<img"), QLatin1String("<x-img")));
    return document.toPlainText();
}

QString MarkupProbe::shownByButton(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown += text.at(i);
    }
    return shown;
}

QLabel* MarkupProbe::showToolTip(QWidget* widget) {
    const QPoint centre = widget->rect().center();
    QHelpEvent help(QEvent::ToolTip, centre, widget->mapToGlobal(centre));
    QApplication::sendEvent(widget, &help);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("qtooltip_label") && top->isVisible())
            return qobject_cast<QLabel*>(top);
    return nullptr;
}

#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <thread>

class QLabel;
class QWidget;

// Text from outside that reads as markup naming local files: a picture whose every opening the
// test sees, and a FIFO whose opening would hold a reader until some writer comes. The probe opens
// the FIFO for writing whenever a reader waits on it, so a reader is let go at once (the test fails
// rather than hangs) and counted.
class MarkupProbe {
public:
    // Makes the picture and the FIFO in `folder`.
    explicit MarkupProbe(const QString& folder);
    ~MarkupProbe();
    MarkupProbe(const MarkupProbe&) = delete;
    MarkupProbe& operator=(const MarkupProbe&) = delete;

    // Markup naming both files, then characters that markup, mnemonics and menus read their own way.
    QString text() const { return m_text; }
    QString picturePath() const { return m_picture; }
    QString fifoPath() const { return m_fifo; }

    // What opened the files since the probe was made: "picture" and "fifo", each once at most.
    QStringList opened();

    // The text a label, tooltip or button shows for `text` as Qt lays it out: markup read, entities
    // and mnemonics undone.
    static QString shownByLabel(const QString& text, int textFormat);
    static QString shownByButton(const QString& text);
    // Rests the pointer on `widget`: the tooltip label then on screen, or none.
    static QLabel* showToolTip(QWidget* widget);

private:
    QString m_picture;
    QString m_fifo;
    QString m_text;
    int m_watch = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_fifoReaders{0};
    std::thread m_releaser;
};

#pragma once

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <functional>

// Temporary homes and waiting helpers for tests.
class TestHome {
public:
    // Points HOME and the XDG folders of this process at a fresh temporary folder.
    static void installProcessHome();
    static QString processHome();

    // A scratch folder removed when the object goes.
    TestHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // Runs the event loop until `done` holds or the time is up; returns `done()`.
    static bool waitUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    // Runs the event loop for the given time.
    static void spin(std::chrono::milliseconds duration);
    // Path of a helper program built from tests/tools.
    static QString toolPath(const QString& name);

private:
    QTemporaryDir m_dir;
};

#include "CrashLogWriter.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
struct Crash {
    QProcess::ExitStatus exitStatus;
    QStringList files;
    QString folder;
    QString text() const {
        if (files.size() != 1)
            return {};
        QFile file(folder + '/' + files.first());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

// Runs the thrower with its own cache folder (which does not exist yet, nor do its parents).
Crash crash(const QString& mode, const TestHome& home) {
    const QString cacheHome = home.file("deep/cache");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", cacheHome);
    process.setProcessEnvironment(env);
    process.start(TestHome::toolPath("crash_thrower"), {mode});
    EXPECT_TRUE(process.waitForFinished(20000));
    Crash result{process.exitStatus(), {}, cacheHome + "/com.tovan.zerafin.macOS/Crash"};
    result.files = QDir(result.folder).entryList(QDir::Files | QDir::Hidden);
    return result;
}
} // namespace

TEST(CrashLogWriter, AnUncaughtStandardExceptionLeavesOneLogInAFolderMadeForIt) {
    TestHome home;
    const Crash result = crash("runtime", home);
    EXPECT_EQ(result.exitStatus, QProcess::CrashExit);
    ASSERT_EQ(result.files.size(), 1) << result.files.join(",").toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d+\\.txt$").match(result.files.first()).hasMatch());
    const QString text = result.text();
    ASSERT_TRUE(text.startsWith("std::runtime_error\n\n(null)\n\nversion: 1.2.0.16\n\nboom\n\n"))
        << text.toStdString();
    const QString frames =
        text.mid(QString("std::runtime_error\n\n(null)\n\nversion: 1.2.0.16\n\nboom\n\n").size());
    EXPECT_GE(frames.count('\n'), 2);
    EXPECT_FALSE(frames.endsWith('\n'));
}

TEST(CrashLogWriter, AThrownValueThatIsNoStandardExceptionStillWritesALog) {
    TestHome home;
    const Crash result = crash("int", home);
    EXPECT_EQ(result.exitStatus, QProcess::CrashExit);
    ASSERT_EQ(result.files.size(), 1);
    EXPECT_TRUE(result.text().startsWith("int\n\n(null)\n\nversion: 1.2.0.16\n\n(null)\n\n"))
        << result.text().toStdString();
}

TEST(CrashLogWriter, AnExceptionOutOfASlotIsLogged) {
    TestHome home;
    const Crash result = crash("event", home);
    EXPECT_EQ(result.exitStatus, QProcess::CrashExit);
    ASSERT_EQ(result.files.size(), 1);
    EXPECT_TRUE(
        result.text().startsWith("std::logic_error\n\n(null)\n\nversion: 1.2.0.16\n\nfrom a slot\n\n"))
        << result.text().toStdString();
}

TEST(CrashLogWriter, TerminatingWithoutAnExceptionWritesNothing) {
    TestHome home;
    const Crash result = crash("none", home);
    EXPECT_EQ(result.exitStatus, QProcess::CrashExit);
    EXPECT_TRUE(result.files.isEmpty());
}

TEST(CrashLogWriter, TheTextAndNameFollowOneLayout) {
    EXPECT_EQ(CrashLogWriter::report("N", "(null)", "version: 1.0.(null)", "why", {}),
              QByteArray("N\n\n(null)\n\nversion: 1.0.(null)\n\nwhy\n\n"));
    EXPECT_EQ(CrashLogWriter::report("N", "U", "V", "R", {"a", "b"}), QByteArray("N\n\nU\n\nV\n\nR\n\na\nb"));
    EXPECT_EQ(CrashLogWriter::versionLine(std::nullopt, QString("7")), "version: (null).7");
    EXPECT_EQ(CrashLogWriter::fileName(1700000000.4), "1700000000.txt");
    EXPECT_EQ(CrashLogWriter::fileName(1700000000.6), "1700000001.txt");
    EXPECT_TRUE(CrashLogWriter::crashFolder("com.tovan.zerafin.macOS")
                    .endsWith("/.cache/com.tovan.zerafin.macOS/Crash"));
}

#include "UserDefaults.h"
#include "TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>
#include <limits>

namespace {
bool runWriter(const QString& file, const QStringList& changes) {
    QProcess process;
    process.start(TestHome::toolPath("suite_writer"), QStringList{file} + changes);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

bool runWriterCanWrite(const QString& file) {
    QFile::remove(file);
    return runWriter(file, {"string:kept=small"});
}
} // namespace

TEST(UserDefaults, AbsentKeysReadAsZeroFalseAndNoText) {
    TestHome home;
    UserDefaults suite(home.file("s.ini"));
    EXPECT_FALSE(suite.hasObject("x"));
    EXPECT_EQ(suite.integerForKey("x"), 0);
    EXPECT_FALSE(suite.boolForKey("x"));
    EXPECT_EQ(suite.floatForKey("x"), 0.0f);
    EXPECT_EQ(suite.doubleForKey("x"), 0.0);
    EXPECT_FALSE(suite.stringForKey("x").has_value());
}

TEST(UserDefaults, ValuesRoundTripThroughTheFileExactly) {
    TestHome home;
    const QString path = home.file("sub/dir/s.ini");
    {
        UserDefaults suite(path);
        suite.setFloat(0.3f, "f");
        suite.setFloat(0.5f, "half");
        suite.setDouble(0.5, "d");
        suite.setInteger(-9000000000LL, "big");
        suite.setBool(false, "no");
        suite.setString(QString(), "empty");
        suite.setString("a,b \"c\"=d", "text");
        EXPECT_TRUE(suite.synchronize());
    }
    ASSERT_TRUE(QFile::exists(path));
    // A different process reads what this one wrote.
    ASSERT_TRUE(runWriter(path, {"int:other=1"}));
    UserDefaults suite(path);
    EXPECT_EQ(suite.floatForKey("f"), 0.3f);
    EXPECT_EQ(suite.floatForKey("half"), 0.5f);
    EXPECT_EQ(suite.doubleForKey("d"), 0.5);
    EXPECT_EQ(suite.integerForKey("big"), -9000000000LL);
    EXPECT_TRUE(suite.hasObject("no"));
    EXPECT_FALSE(suite.boolForKey("no"));
    EXPECT_EQ(suite.stringForKey("empty"), QString(""));
    EXPECT_EQ(suite.stringForKey("text"), QString("a,b \"c\"=d"));
    EXPECT_EQ(suite.integerForKey("other"), 1);
}

TEST(UserDefaults, HandEditedNumbersOutOfRangeReadSafely) {
    TestHome home;
    const QString path = home.file("edited.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nhuge=1e30\ntiny=-1e30\ninf=inf\nnan=nan\nreal=2.9\n");
    file.close();
    UserDefaults suite(path);
    EXPECT_EQ(suite.integerForKey("huge"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(suite.integerForKey("tiny"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(suite.integerForKey("inf"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(suite.integerForKey("nan"), 0);
    EXPECT_EQ(suite.integerForKey("real"), 2);
    EXPECT_EQ(suite.floatForKey("nan"), 0.0f);
    EXPECT_EQ(suite.floatForKey("inf"), 0.0f);
    EXPECT_EQ(suite.doubleForKey("nan"), 0.0);
    EXPECT_EQ(suite.doubleForKey("tiny"), -1e30);
    EXPECT_EQ(suite.floatForKey("real"), 2.9f);
}

TEST(UserDefaults, TwoProcessesNeverClobberEachOthersKeys) {
    TestHome home;
    const QString path = home.file("shared.ini");
    UserDefaults mine(path);
    mine.setString("mine", "A");
    mine.synchronize();
    ASSERT_TRUE(runWriter(path, {"string:B=theirs"}));
    mine.setString("mine2", "A");
    mine.synchronize();
    EXPECT_EQ(mine.stringForKey("B"), QString("theirs"));
    ASSERT_TRUE(runWriter(path, {"remove:A", "string:C=theirs"}));
    mine.reload();
    EXPECT_FALSE(mine.hasObject("A"));
    EXPECT_EQ(mine.stringForKey("B"), QString("theirs"));
    EXPECT_EQ(mine.stringForKey("C"), QString("theirs"));
}

TEST(UserDefaults, UnwritableFileKeepsValuesInMemoryAndRetries) {
    TestHome home;
    // A plain file where the folder should be: nothing can be written below it, even as root.
    const QString blocker = home.file("blocked");
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString path = blocker + "/s.ini";
    UserDefaults suite(path);
    suite.setInteger(7, "k");
    EXPECT_FALSE(suite.synchronize());
    EXPECT_EQ(suite.integerForKey("k"), 7);
    suite.setInteger(8, "k2");
    EXPECT_FALSE(suite.synchronize());

    ASSERT_TRUE(QFile::remove(blocker));
    EXPECT_TRUE(suite.synchronize());
    EXPECT_EQ(suite.integerForKey("k"), 7);
    ASSERT_TRUE(QFile::exists(path));
    ASSERT_TRUE(runWriter(path, {"int:k3=1"}));
    suite.reload();
    EXPECT_EQ(suite.integerForKey("k2"), 8);
    EXPECT_EQ(suite.integerForKey("k3"), 1);
}

// A file grown past a megabyte (by accident or on purpose) would hold the program up for seconds at
// every change: it is not parsed, what is held stays, and the file is not rewritten.
TEST(UserDefaults, HugeFileIsLeftAloneAndValuesStayInMemory) {
    TestHome home;
    const QString path = home.file("huge.ini");
    UserDefaults suite(path);
    suite.setString("k", "kept");
    ASSERT_TRUE(suite.synchronize());

    QByteArray huge = "[General]\nkept=replaced\n";
    while (huge.size() <= UserDefaults::maximumFileSize)
        huge += "filler" + QByteArray::number(huge.size()) + "=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(huge);
    }
    suite.setInteger(3, "mine");
    EXPECT_FALSE(suite.synchronize());
    EXPECT_EQ(suite.stringForKey("kept"), QString("k"));
    EXPECT_EQ(suite.integerForKey("mine"), 3);
    EXPECT_FALSE(suite.hasObject("filler30"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), huge);
    file.close();

    // Once the file is back to a sane size it is read, and the held change is written onto it.
    ASSERT_TRUE(runWriterCanWrite(path));
    EXPECT_TRUE(suite.synchronize());
    EXPECT_EQ(suite.stringForKey("kept"), QString("small"));
    EXPECT_EQ(UserDefaults(path).integerForKey("mine"), 3);
}

// A rewrite in place that has only truncated the file, or that is cut in the middle of a line, is
// not taken as the other program's settings; a finished rewrite is.
TEST(UserDefaults, FileThatIsNotWholeKeepsHeldValues) {
    TestHome home;
    const QString path = home.file("partial.ini");
    UserDefaults suite(path);
    suite.setString("1", "a");
    suite.setString("two", "b");
    ASSERT_TRUE(suite.synchronize());
    auto rewrite = [&](const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    rewrite("");
    EXPECT_TRUE(suite.reload());
    EXPECT_EQ(suite.stringForKey("b"), QString("two"));
    suite.setString("3", "c");
    EXPECT_FALSE(suite.synchronize()); // never written over a file being rewritten
    EXPECT_EQ(QFile(path).size(), 0);

    rewrite("[General]\na=1\nb=tw");
    suite.reload();
    EXPECT_EQ(suite.stringForKey("b"), QString("two"));

    rewrite("[General]\na=1\nb=changed\n");
    EXPECT_TRUE(suite.synchronize());
    EXPECT_EQ(suite.stringForKey("b"), QString("changed"));
    EXPECT_EQ(UserDefaults(path).stringForKey("c"), QString("3"));
}

TEST(UserDefaults, GenerationMovesOnExactlyWhenReadsMayChange) {
    TestHome home;
    const QString path = home.file("s.ini");
    UserDefaults suite(path);
    suite.setInteger(1, "a");
    ASSERT_TRUE(suite.synchronize());
    const quint64 written = suite.generation();
    EXPECT_NE(written, 0u);
    EXPECT_TRUE(suite.reload());
    EXPECT_EQ(suite.generation(), written);

    suite.setInteger(1, "a"); // the same value: may change nothing, but counts
    const quint64 set = suite.generation();
    EXPECT_NE(set, written);
    ASSERT_TRUE(suite.synchronize());

    // Another process rewrites the file with the same keys: nothing to read anew.
    const quint64 before = suite.generation();
    ASSERT_TRUE(runWriter(path, {"int:a=1"}));
    EXPECT_TRUE(suite.reload());
    EXPECT_EQ(suite.generation(), before);
    ASSERT_TRUE(runWriter(path, {"int:a=2"}));
    EXPECT_TRUE(suite.reload());
    EXPECT_NE(suite.generation(), before);
    EXPECT_EQ(suite.integerForKey("a"), 2);
}

// What one program left in the file when another looks at it afterwards.
TEST(UserDefaults, ChangesNotYetSynchronizedReachTheFileWhenTheProgramEnds) {
    TestHome home;
    const QString path = home.file("ending.ini");
    {
        // The event loop ending (Quit, SIGTERM, the other program's end notification all end it)
        // writes what live objects hold, before any of them is destroyed.
        UserDefaults suite(path);
        suite.setBool(false, "autolaunch");
        suite.setBool(true, "alreadyImportVideo");
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
        const UserDefaults reader(path);
        EXPECT_EQ(reader.stringForKey("autolaunch"), QString("false"));
        EXPECT_EQ(reader.stringForKey("alreadyImportVideo"), QString("true"));
    }
    // Whole programs whose suite is never destroyed: quitting and SIGTERM, and a change made
    // while the program winds down after its loop ended.
    for (const char* how : {"quit", "sigterm"}) {
        const QString file = home.file(QString("%1.ini").arg(how));
        QProcess program;
        program.start(TestHome::toolPath("settings_quit"), {file, how});
        ASSERT_TRUE(program.waitForFinished(20000)) << how;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << how;
        EXPECT_EQ(program.exitCode(), 0) << how;
        const UserDefaults reader(file);
        EXPECT_EQ(reader.stringForKey("autolaunch"), QString("false")) << how;
        EXPECT_EQ(reader.stringForKey("teardown"), QString("written")) << how;
    }
}

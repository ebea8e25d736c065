#include "Database.h"
#include "TestHome.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(Database, BindsAndReadsSixtyFourBitValuesByColumnName) {
    TestHome home;
    Database db(home.file("t.db"));
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(db.executeUpdate("CREATE TABLE t (a INTEGER, b TEXT, c REAL, d BLOB)"));
    const qint64 big = 3LL * 1024 * 1024 * 1024;
    ASSERT_TRUE(db.executeUpdate("INSERT INTO t VALUES (?, ?, ?, ?)",
                                 {big, QString("é ✓"), 0.25, QByteArray("\x00\x01", 2)}));
    ASSERT_TRUE(
        db.executeUpdate("INSERT INTO t VALUES (?, ?, ?, ?)", {QVariant(), QVariant(), 1, QVariant()}));
    auto rows = db.executeQuery("select * from t where c = ?", {0.25});
    ASSERT_TRUE(rows);
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->longLongIntForColumn("a"), big);
    EXPECT_EQ(rows->longLongIntForColumn("A"), big);
    EXPECT_EQ(rows->stringForColumn("b"), "é ✓");
    EXPECT_EQ(rows->doubleForColumn("c"), 0.25);
    EXPECT_EQ(rows->columnIndex("missing"), -1);
    EXPECT_EQ(rows->longLongIntForColumn("missing"), 0);
    EXPECT_FALSE(rows->next());

    rows = db.executeQuery("select * from t where a is null");
    ASSERT_TRUE(rows && rows->next());
    EXPECT_TRUE(rows->columnIsNull("b"));
    EXPECT_EQ(rows->stringForColumn("b"), "");
    EXPECT_EQ(rows->longLongIntForColumn("a"), 0);
}

TEST(Database, FailuresAreResultsNotCrashes) {
    TestHome home;
    Database db(home.file("t.db"));
    EXPECT_FALSE(db.executeUpdate("CREATE TABLE t (a)")); // not open
    ASSERT_TRUE(db.open());
    EXPECT_FALSE(db.executeUpdate("INSERT INTO nowhere VALUES (1)"));
    EXPECT_FALSE(db.lastErrorMessage().isEmpty());
    EXPECT_FALSE(db.executeQuery("select * from nowhere"));
    ASSERT_TRUE(db.executeUpdate("CREATE TABLE t (a)"));
    EXPECT_FALSE(db.executeUpdate("INSERT INTO t VALUES (?)", {}));     // parameter missing
    EXPECT_FALSE(db.executeUpdate("INSERT INTO t VALUES (?)", {1, 2})); // one too many
    // A reused statement starts clean after a failed or abandoned use.
    auto rows = db.executeQuery("select a from t");
    ASSERT_TRUE(rows);
    EXPECT_TRUE(db.executeUpdate("INSERT INTO t VALUES (?)", {7}));
    rows.reset();
    rows = db.executeQuery("select a from t");
    ASSERT_TRUE(rows && rows->next());
    EXPECT_EQ(rows->intForColumn("a"), 7);
}

TEST(Database, ADamagedFileFailsToOpenAndIsLeftAlone) {
    TestHome home;
    const QString path = home.file("bad.db");
    const QByteArray garbage(4096, 'x');
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    Database db(path);
    EXPECT_FALSE(db.open());
    EXPECT_FALSE(db.isOpen());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);

    Database absent(home.file("absent.db"));
    EXPECT_FALSE(absent.open(2000, false));
    EXPECT_FALSE(QFile::exists(home.file("absent.db")));
}

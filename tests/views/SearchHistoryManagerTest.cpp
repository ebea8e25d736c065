#include "SearchHistoryManager.h"
#include "PropertyList.h"
#include "TestHome.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList fileList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {"<missing>"};
    const auto plist = PropertyList::fromXml(file.readAll());
    return plist ? plist->toStringList() : QStringList{"<damaged>"};
}
} // namespace

TEST(SearchHistoryManager, KeepsTheFiveMostRecentDistinctSearches) {
    TestHome home;
    const QString path = home.file("searchHistory.info");
    SearchHistoryManager history(path);
    EXPECT_TRUE(history.storeHistory().isEmpty());
    for (const char* text : {"a", "b", "c", "d", "e", "f"})
        history.add(text);
    EXPECT_EQ(history.storeHistory(), QStringList({"f", "e", "d", "c", "b"}));
    EXPECT_EQ(fileList(path), history.storeHistory());

    history.add("c");
    EXPECT_EQ(history.storeHistory(), QStringList({"c", "f", "e", "d", "b"}));
    history.add("C"); // comparison is exact
    EXPECT_EQ(history.storeHistory(), QStringList({"C", "c", "f", "e", "d"}));

    // A new manager (a relaunch) reads the same list; clearing leaves an empty array in the file.
    SearchHistoryManager again(path);
    EXPECT_EQ(again.storeHistory(), QStringList({"C", "c", "f", "e", "d"}));
    again.setStoreHistory({});
    EXPECT_EQ(fileList(path), QStringList());
    EXPECT_TRUE(SearchHistoryManager(path).storeHistory().isEmpty());
}

TEST(SearchHistoryManager, ALongerStoredListIsTrimmedByTheNextSearch) {
    TestHome home;
    const QString path = home.file("searchHistory.info");
    writeFile(path, PropertyList::toXml(QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
    SearchHistoryManager history(path);
    EXPECT_EQ(history.storeHistory().size(), 8);
    history.add("new");
    EXPECT_EQ(history.storeHistory(), QStringList({"new", "1", "2", "3", "4"}));
    EXPECT_EQ(fileList(path), history.storeHistory());
}

TEST(SearchHistoryManager, ADamagedOrWrongShapedFileReadsAsEmptyAndIsReplaced) {
    TestHome home;
    const QString path = home.file("searchHistory.info");
    for (const QByteArray& bytes : {QByteArray("\x00\x01garbage", 9), PropertyList::toXml(QVariantList{1, 2}),
                                    PropertyList::toXml(QVariantMap{{"a", QString("b")}}),
                                    PropertyList::toXml(QVariantList{QString("ok"), 3})}) {
        writeFile(path, bytes);
        SearchHistoryManager history(path);
        EXPECT_TRUE(history.storeHistory().isEmpty());
        history.add("x");
        EXPECT_EQ(fileList(path), QStringList({"x"}));
    }
}

#include "LibraryViewModels.h"

#include "../../library/ListModelTestSupport.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "Preferences.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace std::chrono_literals;

// The collection view outlives the lists in this test; after them it must point at nothing, and
// redrawing or clicking it must not reach a destroyed model.
TEST(LibraryViewModels, DestroyingTheListsLeavesTheCollectionViewPointingAtNothing) {
    TestHome home;
    LocalVideoDBManager database(home.file("Corvex.db"));
    VideoDetail video;
    video.sign = "one";
    video.url = LocalVideoPath::fileUrlText(home.file("one.mp4"));
    database.insert(video);
    UserDefaults suite(home.file("suite.ini"));
    Preferences preferences(suite);
    NotificationCenter notifications;
    ImageLoader images(ImageLoader::Options{});
    GridRig rig;
    {
        LibraryViewModels lists(
            {},
            LocalLibraryViewModel::Dependencies{&database, &preferences, nullptr, home.path(), nullptr,
                                                nullptr, nullptr, nullptr, nullptr, &images, &notifications},
            {});
        lists.bind(VideoLibraryLists::Kind::local, rig.collectionView);
        lists.reloadVideoList(true);
        TestHome::spin(50ms);
        ASSERT_EQ(rig.collectionView->numberOfItems(), 1);
    }
    EXPECT_EQ(rig.collectionView->delegate(), nullptr);
    EXPECT_EQ(rig.collectionView->dataSource(), nullptr);
    rig.collectionView->reloadData();
    rig.collectionView->viewport()->repaint();
    TestHome::spin(50ms);
}

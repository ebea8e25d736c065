#pragma once

#include "SearchFieldDelegate.h"

#include <QObject>
#include <QPointer>

class VideoLibraryViewController;

// Lets the library page answer the search field: suggestions and searches go to the page while it
// exists, and to nobody after.
class LibrarySearchDelegate : public QObject, public SearchFieldDelegate {
    Q_OBJECT
public:
    explicit LibrarySearchDelegate(VideoLibraryViewController* page, QObject* parent = nullptr);

    VideoLibraryViewController* page() const { return m_page; }

    void searchSuggestions(const QString& prefix,
                           std::function<void(std::optional<QStringList>)> completion) override;
    void search(const QString& text) override;

private:
    QPointer<VideoLibraryViewController> m_page;
};

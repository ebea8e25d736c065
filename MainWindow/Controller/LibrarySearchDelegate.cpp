#include "LibrarySearchDelegate.h"

#include "VideoLibraryViewController.h"

LibrarySearchDelegate::LibrarySearchDelegate(VideoLibraryViewController* page, QObject* parent)
    : QObject(parent), m_page(page) {}

void LibrarySearchDelegate::searchSuggestions(const QString& prefix,
                                              std::function<void(std::optional<QStringList>)> completion) {
    if (!m_page) {
        completion(std::nullopt);
        return;
    }
    m_page->searchSuggestions(
        prefix, [completion = std::move(completion)](std::optional<std::vector<QString>> keywords) {
            if (!keywords) {
                completion(std::nullopt);
                return;
            }
            completion(QStringList(keywords->begin(), keywords->end()));
        });
}

void LibrarySearchDelegate::search(const QString& text) {
    if (m_page)
        m_page->search(text);
}

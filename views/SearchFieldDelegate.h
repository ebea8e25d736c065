#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What a search field asks of its owner. A delegate that is also a QObject is held weakly by the
// field: once it is destroyed the field stops asking.
class SearchFieldDelegate {
public:
    virtual ~SearchFieldDelegate() = default;
    // Obtains keyword suggestions for the prefix and calls the completion once, on the main thread,
    // with them in display order; none or an empty list means there are none.
    virtual void searchSuggestions(const QString& prefix,
                                   std::function<void(std::optional<QStringList>)> completion) = 0;
    // Runs the search for the field's whole text (which may be empty).
    virtual void search(const QString& text) = 0;
};

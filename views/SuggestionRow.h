#pragma once

#include <QString>
#include <functional>
#include <optional>

// One row of the suggestions popup: a separator line, a section header (with an optional link
// button on its right that runs an action), or a selectable row whose label a click puts into the
// field. A row that is both a separator and a header is a separator.
struct SuggestionRow {
    bool separator = false;
    bool header = false;
    std::optional<QString> label;
    std::optional<QString> detailedLabel; // header only: the right button's title
    std::function<void()> action;         // header only: run by the right button

    enum class Kind { Separator, Header, Selectable };
    Kind kind() const { return separator ? Kind::Separator : header ? Kind::Header : Kind::Selectable; }

    static SuggestionRow item(const QString& label) {
        SuggestionRow row;
        row.label = label;
        return row;
    }
    static SuggestionRow headerRow(const QString& label, std::optional<QString> detailedLabel = std::nullopt,
                                   std::function<void()> action = {}) {
        SuggestionRow row;
        row.header = true;
        row.label = label;
        row.detailedLabel = std::move(detailedLabel);
        row.action = std::move(action);
        return row;
    }
    static SuggestionRow separatorRow() {
        SuggestionRow row;
        row.separator = true;
        return row;
    }
};

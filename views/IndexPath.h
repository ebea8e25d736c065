#pragma once

#include <QHashFunctions>
#include <QMetaType>

// The position of an item in a collection view. The library lists have one section only, so
// `section` is always 0 in practice; it is kept so positions read as the collection view names them.
struct IndexPath {
    int item = 0;
    int section = 0;

    constexpr IndexPath() = default;
    constexpr IndexPath(int item, int section = 0) : item(item), section(section) {}
    static constexpr IndexPath zero() { return IndexPath(0, 0); }

    friend constexpr bool operator==(const IndexPath&, const IndexPath&) = default;
    friend constexpr auto operator<=>(const IndexPath&, const IndexPath&) = default;
};

inline size_t qHash(const IndexPath& path, size_t seed = 0) noexcept {
    return qHashMulti(seed, path.item, path.section);
}

Q_DECLARE_METATYPE(IndexPath)

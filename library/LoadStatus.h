#pragma once

#include <QtGlobal>

// The paging state of the online list.
enum class LoadStatus : quint8 {
    none = 0,      // idle; more pages may exist
    loading = 1,   // a request is in flight
    loadedAll = 2, // the last page is shown, or the first page failed
    failed = 3,    // the last next-page request failed; scrolling again retries
};

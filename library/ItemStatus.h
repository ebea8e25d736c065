#pragma once

#include <QtGlobal>
#include <optional>

// A download's state. Not stored: every item read back from the store starts as `wait`.
enum class ItemStatus : quint8 {
    wait = 0,        // queued; its run starts it
    downloading = 1, // a request is transferring the file
    pause = 2,       // stopped by the user; resume data kept when the server allows it
    error = 3,       // the transfer failed, or the finished file did not match its sign
    finish = 4,      // downloaded and verified; the item leaves the list in the same step
};

// The status of a raw value; none for any value outside 0...4.
inline std::optional<ItemStatus> itemStatusFromRaw(int raw) {
    if (raw < 0 || raw > 4)
        return std::nullopt;
    return static_cast<ItemStatus>(raw);
}

#pragma once

#include <functional>

// The main queue: the thread of the application object, where windows, timers and replies live.
class MainThread {
public:
    static bool isCurrent();
    // Runs `work` on the main thread and waits for it (runs it at once when already there).
    // Used to create objects that own timers or sockets on the main thread, whoever asks first.
    static void runAndWait(const std::function<void()>& work);
    // Queues `work` to run on the main thread at its next turn of the event loop.
    static void post(std::function<void()> work);
};

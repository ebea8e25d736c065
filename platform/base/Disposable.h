#pragma once

#include <QMetaObject>
#include <QObject>
#include <functional>
#include <utility>

// A lifetime token: holds one closure and runs it exactly once when the token is destroyed.
// Owners keep tokens in a std::optional or a std::vector; dropping the token ends the work it
// stands for (usually an observation). Move-only, so there is always exactly one owner.
class Disposable {
public:
    explicit Disposable(std::function<void()> closure);
    Disposable(Disposable&& other) noexcept;
    Disposable& operator=(Disposable&& other) noexcept;
    Disposable(const Disposable&) = delete;
    Disposable& operator=(const Disposable&) = delete;
    ~Disposable();

    // A token whose closure ends a signal connection (the observation is never delivered again).
    static Disposable invalidateObservation(QMetaObject::Connection connection);

private:
    void dispose();
    std::function<void()> m_closure;
};

// Observes a change signal of `source`; `handler` runs in `context`'s thread for every emission,
// with the signal's arguments, until the returned token is released.
template <typename Source, typename Signal, typename Handler>
[[nodiscard]] Disposable observe(const Source* source, Signal signal, const QObject* context,
                                 Handler&& handler) {
    return Disposable::invalidateObservation(
        QObject::connect(source, signal, context, std::forward<Handler>(handler)));
}

// Keeps a property of `target` equal to an observed property of `source`: every later change signal
// (new values only; nothing is copied now) is assigned through the target's setter, so the target's
// own observers run. The token ends the link.
template <typename Source, typename Value, typename Target, typename SetterValue>
[[nodiscard]] Disposable bind(const Source* source, void (Source::*changed)(Value), Target* target,
                              void (Target::*setter)(SetterValue)) {
    return Disposable::invalidateObservation(QObject::connect(
        source, changed, target, [target, setter](Value value) { (target->*setter)(value); }));
}

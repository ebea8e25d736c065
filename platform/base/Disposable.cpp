#include "Disposable.h"

#include <cstdio>
#include <cstdlib>

Disposable::Disposable(std::function<void()> closure) : m_closure(std::move(closure)) {
    if (!m_closure) {
        // A token without work is a programming error, caught where it is made.
        std::fputs("Disposable made without a closure\n", stderr);
        std::abort();
    }
}

Disposable::Disposable(Disposable&& other) noexcept : m_closure(std::exchange(other.m_closure, nullptr)) {}

Disposable& Disposable::operator=(Disposable&& other) noexcept {
    if (this != &other) {
        dispose();
        m_closure = std::exchange(other.m_closure, nullptr);
    }
    return *this;
}

Disposable::~Disposable() {
    dispose();
}

void Disposable::dispose() {
    if (auto closure = std::exchange(m_closure, nullptr))
        closure();
}

Disposable Disposable::invalidateObservation(QMetaObject::Connection connection) {
    return Disposable([connection] { QObject::disconnect(connection); });
}

// A value that one thread writes while another reads it: the parameter value sets, the
// program record and the other state the user-interface and audio threads share. Loads and
// stores are relaxed atomics, plain moves on x86-64, so the hot paths cost what plain floats
// cost while the language (and ThreadSanitizer) sees no data race. Any thread.
#pragma once

#include <atomic>

template <typename T> class Relaxed {
public:
    constexpr Relaxed() noexcept : value(T{}) {}
    constexpr explicit Relaxed(T v) noexcept : value(v) {}
    Relaxed(const Relaxed& other) noexcept : value(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept {
        store(other.load());
        return *this;
    }
    Relaxed& operator=(T v) noexcept {
        store(v);
        return *this;
    }
    operator T() const noexcept { return load(); }
    T load() const noexcept { return value.load(std::memory_order_relaxed); }
    void store(T v) noexcept { value.store(v, std::memory_order_relaxed); }
    // Read-modify-write by one writer thread: a load and a store, not an atomic update.
    Relaxed& operator+=(T v) noexcept {
        store(load() + v);
        return *this;
    }
    Relaxed& operator-=(T v) noexcept {
        store(load() - v);
        return *this;
    }
    Relaxed& operator^=(T v) noexcept {
        store(static_cast<T>(load() ^ v));
        return *this;
    }
    Relaxed& operator++() noexcept {
        store(static_cast<T>(load() + 1));
        return *this;
    }
    Relaxed& operator--() noexcept {
        store(static_cast<T>(load() - 1));
        return *this;
    }
    T operator++(int) noexcept {
        const T old = load();
        store(static_cast<T>(old + 1));
        return old;
    }
    T operator--(int) noexcept {
        const T old = load();
        store(static_cast<T>(old - 1));
        return old;
    }

private:
    static_assert(std::atomic<T>::is_always_lock_free, "a relaxed value must be lock-free");
    std::atomic<T> value;
};

static_assert(sizeof(Relaxed<float>) == sizeof(float), "value sets keep the float layout");

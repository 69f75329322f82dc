#pragma once

// Scripted implementations of operating-system services for tests.
//
// Every service interface of this folder offers three static functions:
//   Service& instance();                 // what the library calls
//   Service& system();                   // the real implementation
//   Service* install(Service* scripted); // nullptr restores the real one,
//                                        // returns what was installed before
// ScopedOverride installs a scripted implementation for one scope.

#include <atomic>

namespace Platform {

/// Storage of the installed override of one service; lives in the service's
/// own .cpp file so that the library and its callers share one slot.
template <class Service>
class OverrideSlot
{
public:
    Service &current() const
    {
        Service *scripted = m_scripted.load(std::memory_order_acquire);
        return scripted ? *scripted : Service::system();
    }
    Service *exchange(Service *scripted)
    {
        return m_scripted.exchange(scripted, std::memory_order_acq_rel);
    }

private:
    std::atomic<Service *> m_scripted{nullptr};
};

/// Installs \a scripted as the implementation of a service until the end of
/// the scope, then puts back whatever was installed before.
template <class Service>
class ScopedOverride
{
public:
    explicit ScopedOverride(Service &scripted)
        : m_previous(Service::install(&scripted))
    {
    }
    ~ScopedOverride() { Service::install(m_previous); }

    ScopedOverride(const ScopedOverride &) = delete;
    ScopedOverride &operator=(const ScopedOverride &) = delete;

private:
    Service *m_previous;
};

} // namespace Platform

#pragma once
// A fixed budget of memory for the pictures that thumbnail workers decode at
// the same time. Each decode asks for what its buffers will take before it
// allocates them and waits while others hold the rest; a picture that alone
// would take more than the whole budget is not decoded at all. So a folder of
// huge (or lying) images costs at most the budget, however many workers run.
// Any thread.

#include <QtGlobal>
#include <condition_variable>
#include <mutex>

namespace scriva::thumbs {

class DecodeBudget
{
public:
    static constexpr qint64 kDefaultBytes = 384LL * 1024 * 1024;

    explicit DecodeBudget(qint64 total = kDefaultBytes) : m_total(total) {}

    // The budget every thumbnail decode of this process draws on.
    static DecodeBudget& Shared();

    // Waits until `bytes` are free and takes them; false at once when they
    // exceed the whole budget.
    bool Acquire(qint64 bytes);
    void Release(qint64 bytes);

    qint64 Total() const;
    qint64 Peak() const; // the most ever held at once
    // For tests and benchmarks: a new total (waiters are woken), peak reset.
    void SetTotal(qint64 bytes);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    qint64 m_total;
    qint64 m_used = 0;
    qint64 m_peak = 0;
};

// Holds bytes of a budget for one scope.
class BudgetShare
{
public:
    BudgetShare(DecodeBudget& budget, qint64 bytes)
        : m_budget(budget), m_bytes(bytes), m_held(budget.Acquire(bytes))
    {
    }
    ~BudgetShare()
    {
        if (m_held)
            m_budget.Release(m_bytes);
    }
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;
    bool Held() const { return m_held; }

private:
    DecodeBudget& m_budget;
    qint64 m_bytes;
    bool m_held;
};

} // namespace scriva::thumbs

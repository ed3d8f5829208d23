#pragma once

#include <functional>

namespace quillet {

// How a file operation shows itself. Loading and saving run on the UI thread; `advance`
// adds to the progress value and lets the waiting window events run once, which happens
// every 50 entries (and once after the save's sort). Every hook may be left empty.
struct FileOperationHooks {
    std::function<void()> begin;
    std::function<void()> end; // runs whether the operation succeeded or not
    std::function<void(double)> setProgressMaximum;
    std::function<void(double)> advance;
    std::function<void()> resetProgress;
};

// Calls the end hook on every way out of a file operation, so that no caller is ever left
// marked busy.
class OperationScope
{
public:
    explicit OperationScope(const FileOperationHooks &hooks)
        : m_hooks(hooks)
    {
        if (m_hooks.begin)
            m_hooks.begin();
    }
    ~OperationScope()
    {
        if (m_hooks.end)
            m_hooks.end();
    }
    OperationScope(const OperationScope &) = delete;
    OperationScope &operator=(const OperationScope &) = delete;

private:
    const FileOperationHooks &m_hooks;
};

} // namespace quillet

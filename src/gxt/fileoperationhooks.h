#pragma once

#include <QtGlobal>

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

// Progress as loads and saves report it: a record counts one, a text two, in steps of 50
// entries (so a table of 49 entries moves nothing), and each step lets waiting events run.
class FileProgress
{
public:
    static constexpr int Step = 50;

    explicit FileProgress(const FileOperationHooks &hooks)
        : m_hooks(hooks)
    {
    }
    void setMaximum(double maximum)
    {
        if (m_hooks.setProgressMaximum)
            m_hooks.setProgressMaximum(maximum);
    }
    // Lets events through without moving the bar, as a save does once after its sort.
    void pass()
    {
        if (m_hooks.advance)
            m_hooks.advance(0);
    }
    void record()
    {
        if (++m_records % Step == 0 && m_hooks.advance)
            m_hooks.advance(Step);
    }
    void text()
    {
        if (++m_texts % Step == 0 && m_hooks.advance)
            m_hooks.advance(2 * Step);
    }
    void reset()
    {
        if (m_hooks.resetProgress)
            m_hooks.resetProgress();
    }

private:
    const FileOperationHooks &m_hooks;
    qint64 m_records = 0;
    qint64 m_texts = 0;
};

} // namespace quillet

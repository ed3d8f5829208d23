#pragma once

#include <QString>
#include <QStringList>

namespace quillet {

// What every read, write, check and conversion gives back: success or a reason, plus
// warnings that do not stop the operation (what the game would trip on, say). Nothing in
// the core throws, and nothing reports failure any other way: a caller that drops a Result
// gets a compiler warning, and a failure always carries a reason.
class [[nodiscard]] Result
{
public:
    Result() = default;
    static Result success() { return {}; }
    static Result failure(const QString &reason)
    {
        Result r;
        r.m_ok = false;
        r.m_error = reason.isEmpty() ? QStringLiteral("the operation failed") : reason;
        return r;
    }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    QString errorString() const { return m_error; }

    const QStringList &warnings() const { return m_warnings; }
    void addWarning(const QString &warning) { m_warnings.append(warning); }
    void addWarnings(const QStringList &warnings) { m_warnings.append(warnings); }

    // A failure from `reason`, keeping the warnings gathered so far.
    Result &fail(const QString &reason)
    {
        m_ok = false;
        m_error = reason.isEmpty() ? QStringLiteral("the operation failed") : reason;
        return *this;
    }

    // The same failure with `context` ("FILE", "line 3") put in front of its reason.
    Result within(const QString &context) const
    {
        Result r = *this;
        if (!r.m_ok && !context.isEmpty())
            r.m_error = context + QStringLiteral(": ") + r.m_error;
        return r;
    }

private:
    bool m_ok = true;
    QString m_error;
    QStringList m_warnings;
};

} // namespace quillet

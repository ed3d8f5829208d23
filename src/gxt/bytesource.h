#pragma once

// Where a reader takes a file's bytes from: memory, or an open file a window at a time.
// Internal to the readers.
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <algorithm>
#include <limits>

namespace quillet {

class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    // The most bytes at() hands out in one piece; readers ask for texts in pieces no larger.
    virtual qint64 chunkBytes() const = 0;
    // `length` bytes from `position`, which lie inside the file; valid until the next call.
    // Null when the file cannot be read, with errorString() saying why.
    virtual const char *at(qint64 position, qint64 length) = 0;
    virtual QString errorString() const = 0;
};

// The bytes of a file held whole in memory.
class MemoryBytes final : public ByteSource
{
public:
    explicit MemoryBytes(QByteArrayView data)
        : m_data(data)
    {
    }
    qint64 size() const override { return m_data.size(); }
    qint64 chunkBytes() const override { return std::numeric_limits<qint64>::max() / 4; }
    const char *at(qint64 position, qint64) override { return m_data.data() + position; }
    QString errorString() const override { return {}; }

private:
    QByteArrayView m_data;
};

// The bytes of an open file, read a window at a time as the reader moves through them, so
// that a load never holds the file's bytes beside the whole of the table they become.
class FileBytes final : public ByteSource
{
public:
    FileBytes(QFile &file, qint64 size)
        : m_file(file)
        , m_size(size)
    {
    }
    qint64 size() const override { return m_size; }
    qint64 chunkBytes() const override { return 64 * 1024; }
    const char *at(qint64 position, qint64 length) override
    {
        if (position >= m_start && position + length <= m_start + m_window.size())
            return m_window.constData() + (position - m_start);
        const qint64 count = std::min(std::max(length, WindowBytes), m_size - position);
        m_window.resize(count);
        m_start = position;
        if (!m_file.seek(position) || m_file.read(m_window.data(), count) != count) {
            m_window.clear();
            m_error = m_file.error() != QFileDevice::NoError ? m_file.errorString()
                                                             : QStringLiteral("the file became shorter while it was read");
            return nullptr;
        }
        return m_window.constData();
    }
    QString errorString() const override { return m_error; }

private:
    static constexpr qint64 WindowBytes = 256 * 1024;

    QFile &m_file;
    qint64 m_size;
    QByteArray m_window;
    qint64 m_start = 0;
    QString m_error;
};

} // namespace quillet

#pragma once

// Where the reader takes a file's bytes from: memory, or an open file a window at a time.
// Internal to the reader.
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <algorithm>
#include <limits>

namespace quillet {

// The bytes of a file held whole in memory.
class MemoryBytes
{
public:
    explicit MemoryBytes(QByteArrayView data)
        : m_data(data)
    {
    }
    // Memory hands out any stretch at once; the reader asks in chunks no larger than this.
    static constexpr qint64 ChunkBytes = std::numeric_limits<qint64>::max() / 4;

    qint64 size() const { return m_data.size(); }
    // `length` bytes from `position`, which lie inside the file; valid until the next call.
    const char *at(qint64 position, qint64 /*length*/) const { return m_data.data() + position; }
    QString errorString() const { return {}; }

private:
    QByteArrayView m_data;
};

// The bytes of an open file, read a window at a time as the reader moves through them, so
// that a load never holds the file's bytes beside the whole of the table they become: for
// the largest table they were a third of what opening it added to the editor's peak.
class FileBytes
{
public:
    FileBytes(QFile &file, qint64 size)
        : m_file(file)
        , m_size(size)
    {
    }
    static constexpr qint64 ChunkBytes = 64 * 1024;

    qint64 size() const { return m_size; }
    // `length` bytes from `position`, which lie inside the file; valid until the next call.
    // Null when the file cannot be read, or holds fewer bytes than it did when opened.
    const char *at(qint64 position, qint64 length)
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
    QString errorString() const { return m_error; }

private:
    static constexpr qint64 WindowBytes = 256 * 1024;

    QFile &m_file;
    qint64 m_size;
    QByteArray m_window;
    qint64 m_start = 0;
    QString m_error;
};

} // namespace quillet

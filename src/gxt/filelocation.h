#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QString>

#include <memory>

class QSettings;

namespace quillet {

// Where the remembered folder lives in the per-user settings store.
namespace FileLocationSetting {
inline constexpr char Application[] = "Brindle Quillet";
inline constexpr char Group[] = "Main";
inline constexpr char Key[] = "File Location";
} // namespace FileLocationSetting

// Reads and writes text settings addressed by group and key. The editor holds one setting;
// the interface lets tests give the window a store of their own.
class SettingsStore
{
public:
    virtual ~SettingsStore();
    virtual QString value(const QString &group, const QString &key, const QString &defaultValue) const = 0;
    virtual void setValue(const QString &group, const QString &key, const QString &value) = 0;
};

// The platform's per-user settings store of one application.
class QSettingsStore final : public SettingsStore
{
public:
    QSettingsStore(const QString &organisation, const QString &application);
    ~QSettingsStore() override;

    QString value(const QString &group, const QString &key, const QString &defaultValue) const override;
    void setValue(const QString &group, const QString &key, const QString &value) override;

private:
    std::unique_ptr<QSettings> m_settings;
};

// A store that forgets everything when it goes: for a run that must leave the user's
// settings alone, such as a test or a benchmark.
class MemorySettingsStore final : public SettingsStore
{
public:
    QString value(const QString &group, const QString &key, const QString &defaultValue) const override
    {
        return m_values.value(group + QLatin1Char('/') + key, defaultValue);
    }
    void setValue(const QString &group, const QString &key, const QString &value) override
    {
        m_values.insert(group + QLatin1Char('/') + key, value);
    }
    bool isEmpty() const { return m_values.isEmpty(); }

private:
    QHash<QString, QString> m_values;
};

// The folder in which the file dialogs open: the folder of the file last opened, or
// `applicationFolder` when none is remembered or the remembered one no longer exists.
QString GetFileLocation(const SettingsStore &store,
                        const QString &applicationFolder = QCoreApplication::applicationDirPath());

// Remembers the folder of `path`, with its final '/'; a bare file name leaves an empty
// folder, which GetFileLocation then answers with the application folder.
void SaveFileLocation(SettingsStore &store, const QString &path);

// "Quillet - " and the file name of `path` without its folder: the main window's title.
QString WindowTitle(const QString &path);
// The same for a file of tables, naming the table shown: "Quillet - american.gxt [MAIN]".
QString WindowTitle(const QString &path, const QString &table);

} // namespace quillet

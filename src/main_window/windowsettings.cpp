#include "windowsettings.h"

#include "filelocation.h"

#include <QRegularExpression>

namespace quillet {

namespace {

QString group()
{
    return QString::fromLatin1(WindowSetting::Group);
}

} // namespace

std::optional<QSize> rememberedSize(const SettingsStore &store, const char *key)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = form.match(store.value(group(), QString::fromLatin1(key), QString()));
    if (!match.hasMatch())
        return std::nullopt;
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    if (size.isEmpty())
        return std::nullopt;
    return size;
}

void rememberSize(SettingsStore &store, const char *key, QSize size)
{
    store.setValue(group(), QString::fromLatin1(key), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
}

bool rememberedFlag(const SettingsStore &store, const char *key)
{
    return store.value(group(), QString::fromLatin1(key), QString()) == QLatin1String("true");
}

void rememberFlag(SettingsStore &store, const char *key, bool on)
{
    store.setValue(group(), QString::fromLatin1(key), on ? QStringLiteral("true") : QStringLiteral("false"));
}

std::optional<int> rememberedWidth(const SettingsStore &store, const char *key)
{
    bool ok = false;
    const int width = store.value(group(), QString::fromLatin1(key), QString()).toInt(&ok);
    if (!ok || width < 1 || width > 100000)
        return std::nullopt;
    return width;
}

void rememberWidth(SettingsStore &store, const char *key, int width)
{
    store.setValue(group(), QString::fromLatin1(key), QString::number(width));
}

} // namespace quillet

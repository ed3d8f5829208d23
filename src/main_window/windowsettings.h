#pragma once

#include <QSize>
#include <QString>

#include <optional>

namespace quillet {

class SettingsStore;

// How big the windows were when the user last left them, in the per-user settings store:
// group "Window", keys "Main Size" and "Editor Size" ("900x600", the window without its
// frame, in the screen's logical pixels, so the same size reads alike at any scale factor),
// "Main Maximized" ("true" or "false") and "Name Column" (the width the user gave the
// list's Name column; missing while the list fits it to the names itself).
namespace WindowSetting {
inline constexpr char Group[] = "Window";
inline constexpr char MainSize[] = "Main Size";
inline constexpr char MainMaximized[] = "Main Maximized";
inline constexpr char EditorSize[] = "Editor Size";
inline constexpr char NameColumn[] = "Name Column";
} // namespace WindowSetting

// A remembered size; nothing when none is, or what the store holds is no size (a hand-edited
// file, say) or one of no area.
std::optional<QSize> rememberedSize(const SettingsStore &store, const char *key);
void rememberSize(SettingsStore &store, const char *key, QSize size);

bool rememberedFlag(const SettingsStore &store, const char *key);
void rememberFlag(SettingsStore &store, const char *key, bool on);

// A remembered width of at least one pixel; nothing otherwise.
std::optional<int> rememberedWidth(const SettingsStore &store, const char *key);
void rememberWidth(SettingsStore &store, const char *key, int width);

} // namespace quillet

#pragma once

#include <QIcon>

namespace quillet {

// The application's identity, shared by the windows and the start-up.
namespace AppIdentity {
// Titles the message boxes that name no title of their own.
inline constexpr char Title[] = "Brindle - Quillet";
inline constexpr char Version[] = QUILLET_VERSION_TEXT;
// The executable's name, as the command line and the desktop entry know it.
inline constexpr char ExecutableName[] = "quillet";
} // namespace AppIdentity

// The 32 x 32 icon of the executable and of every window.
QIcon applicationIcon();

} // namespace quillet

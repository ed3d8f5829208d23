#pragma once

#include <QObject>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

namespace quillet {

// How a control follows its window when the window is larger or smaller than the size it was
// laid out at: which of its edges keep their distance to the window's right and bottom edges.
enum class Follow {
    Nothing = 0,
    Right = 1,      // moves with the right edge, keeping its width
    Bottom = 2,     // moves with the bottom edge, keeping its height
    Width = 4,      // its right edge moves: it grows and shrinks across
    Height = 8,     // its bottom edge moves: it grows and shrinks down
};
constexpr Follow operator|(Follow a, Follow b)
{
    return Follow(int(a) | int(b));
}
constexpr bool operator&(Follow a, Follow b)
{
    return (int(a) & int(b)) != 0;
}

// Keeps the controls of a window laid out to the pixel at one size in their places at any
// other: each moves or grows by as much as the window differs from that size, as its Follow
// says. At the design size every control is exactly where the form put it, whatever the
// style or the fonts, which a layout's own spacing would not promise. A control never gets
// smaller than its own minimum size.
class ControlPlaces : public QObject
{
public:
    ControlPlaces(QWidget *container, QSize designSize);

    // `control`'s present geometry is its place at the design size.
    void add(QWidget *control, Follow follow);
    // Makes room for a band of `height` pixels at `y`: the design size grows by it and
    // every control placed at or below `y` moves down with it.
    void insertBand(int y, int height);
    QSize designSize() const { return m_designSize; }
    void place();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Place {
        QWidget *control;
        QRect designed;
        Follow follow;
    };
    QWidget *m_container;
    QSize m_designSize;
    std::vector<Place> m_places;
};

// `wanted`, the size of `window` without its frame, made small enough for the window and its
// frame to fit the available part of the screen it is on (the part a task bar or a panel
// leaves), in the screen's own logical pixels, so that a scale factor of 2 on a small screen
// still shows the whole window. Never below the window's minimum size. Before a window is
// first shown the window system has not said how wide its frame is; `framedLike`, a window
// already shown, stands in for it.
QSize sizeWithinScreen(const QWidget &window, QSize wanted, const QWidget *framedLike = nullptr);

// Moves `window` so that its frame lies within the available part of its screen, where it
// would stand partly outside it.
void keepOnScreen(QWidget &window);

} // namespace quillet

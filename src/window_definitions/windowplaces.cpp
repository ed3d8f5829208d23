#include "windowplaces.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace quillet {

ControlPlaces::ControlPlaces(QWidget *container, QSize designSize)
    : QObject(container)
    , m_container(container)
    , m_designSize(designSize)
{
    container->installEventFilter(this);
}

void ControlPlaces::add(QWidget *control, Follow follow)
{
    m_places.push_back({control, control->geometry(), follow});
}

void ControlPlaces::insertBand(int y, int height)
{
    m_designSize.rheight() += height;
    for (Place &place : m_places) {
        if (place.designed.top() >= y)
            place.designed.translate(0, height);
    }
}

void ControlPlaces::place()
{
    const int dx = m_container->width() - m_designSize.width();
    const int dy = m_container->height() - m_designSize.height();
    for (const Place &place : m_places) {
        QRect rect = place.designed;
        if (place.follow & Follow::Right)
            rect.translate(dx, 0);
        if (place.follow & Follow::Bottom)
            rect.translate(0, dy);
        if (place.follow & Follow::Width)
            rect.setWidth(std::max(rect.width() + dx, place.control->minimumWidth()));
        if (place.follow & Follow::Height)
            rect.setHeight(std::max(rect.height() + dy, place.control->minimumHeight()));
        place.control->setGeometry(rect);
    }
}

bool ControlPlaces::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_container && event->type() == QEvent::Resize)
        place();
    return QObject::eventFilter(watched, event);
}

namespace {

// What the frame adds round the window, where the window system has said; nothing before
// the window has first been shown.
QSize frameExtra(const QWidget &window)
{
    const QSize extra = window.frameGeometry().size() - window.size();
    return extra.expandedTo(QSize(0, 0));
}

} // namespace

QSize sizeWithinScreen(const QWidget &window, QSize wanted, const QWidget *framedLike)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return wanted;
    QSize frame = frameExtra(window);
    if (frame.isNull() && framedLike)
        frame = frameExtra(*framedLike);
    const QSize room = screen->availableGeometry().size() - frame;
    return wanted.boundedTo(room).expandedTo(window.minimumSize());
}

void keepOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    // The top left corner wins where the frame is larger than the room: the title bar and
    // the menus stay within reach.
    const int x = std::max(room.left(), std::min(frame.left(), room.right() + 1 - frame.width()));
    const int y = std::max(room.top(), std::min(frame.top(), room.bottom() + 1 - frame.height()));
    if (x != frame.left() || y != frame.top())
        window.move(x, y);
}

} // namespace quillet

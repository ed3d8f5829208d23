// A Qt generic plugin that lets quillet-bench time the real editor's start: loaded into
// `quillet` through QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS=quilletbenchwatch, it waits
// for the first paint of the string list that shows QUILLET_BENCH_ROWS rows under a title
// the editor sets only once start-up has opened its file, then writes "painted" and ends
// the process at once: what comes after the window shows is not start-up. A message box
// or dialog instead means the start went wrong; it writes that and ends too. The editor
// itself carries no hook for this.
#include <QAbstractItemView>
#include <QApplication>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

void sayAndEnd(const char *line, int code)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    std::_Exit(code);
}

class StartupWatch : public QObject
{
public:
    StartupWatch()
        : m_rows(qEnvironmentVariableIntValue("QUILLET_BENCH_ROWS"))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && widget->isModal())
                QTimer::singleShot(0, [] { sayAndEnd("modal", 1); });
        }
        if (event->type() != QEvent::Paint || m_seen)
            return false;
        auto *list = qobject_cast<QAbstractItemView *>(watched->parent());
        if (!list || list->objectName() != QLatin1String("lvStrings") || list->viewport() != watched)
            return false;
        QWidget *window = list->window();
        if (!window->windowTitle().startsWith(QLatin1String("Quillet - ")) || list->model()->rowCount() != m_rows)
            return false;
        // The paint itself runs once this filter lets the event through; what follows it in
        // the same pass of the event loop (the window's backing store flushed) is part of
        // showing the window, so the line is written on the next pass.
        m_seen = true;
        QTimer::singleShot(0, [] { sayAndEnd("painted", 0); });
        return false;
    }

private:
    int m_rows;
    bool m_seen = false;
};

class StartupWatchPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "startupwatch.json")

public:
    QObject *create(const QString &key, const QString &) override
    {
        return key.compare(QLatin1String("quilletbenchwatch"), Qt::CaseInsensitive) == 0 ? new StartupWatch : nullptr;
    }
};

} // namespace

#include "startupwatch.moc"

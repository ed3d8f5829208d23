// A Qt generic plugin that watches the real editor start from inside, for the tests that
// start the `quillet` executable with hostile arguments and no display. Loaded through
// QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS=quilletprobe, it writes each message box of
// start-up to standard output and answers it with its default button; once the window has
// settled it writes what the window shows and ends the editor as its own event loop ends.
// The editor itself carries no test hook.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

void say(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

class StartupProbe : public QObject
{
public:
    StartupProbe() { lookAgain(); }

private:
    // Every pass of the event loop, whichever loop runs it: the window's own, a message
    // box's, or the one a load runs to keep the window alive.
    void lookAgain() { QTimer::singleShot(0, this, [this] { look(); }); }

    void look()
    {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                say(QStringLiteral("message %1 %2").arg(int(box->icon())).arg(box->text().replace(QLatin1Char('\n'), QLatin1String("\\n"))));
                QAbstractButton *answer = box->defaultButton();
                if (!answer)
                    answer = box->escapeButton();
                if (answer)
                    answer->click();
                else
                    box->reject();
            } else {
                say(QStringLiteral("modal %1").arg(QString::fromLatin1(modal->metaObject()->className())));
                modal->close();
            }
            lookAgain();
            return;
        }
        // Start-up names the window only once it has opened the file or started an
        // untitled table; nothing after that lets events run until start-up is over.
        QMainWindow *window = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("frmMain"))
                window = qobject_cast<QMainWindow *>(widget);
        }
        if (!window || !window->isVisible() || !window->windowTitle().startsWith(QLatin1String("Quillet - "))) {
            lookAgain();
            return;
        }
        say(QStringLiteral("window %1").arg(window->windowTitle()));
        auto *list = window->findChild<QAbstractItemView *>(QStringLiteral("lvStrings"));
        auto *blank = window->findChild<QAbstractItemView *>(QStringLiteral("lvBlank"));
        say(QStringLiteral("rows %1").arg(list ? list->model()->rowCount() : -1));
        say(list && blank && list->isVisible() && list->isEnabled() && blank->isHidden()
                ? QStringLiteral("list shown, enabled")
                : QStringLiteral("list out of reach"));
        QStringList disabled;
        for (const char *name : {"mnuFile", "mnuStrings"}) {
            auto *menu = window->findChild<QMenu *>(QLatin1String(name));
            if (!menu || !menu->isEnabled() || !menu->menuAction()->isEnabled())
                disabled << QLatin1String(name);
            if (menu) {
                // Just started, there is nothing to take back or look for yet, and no reference.
                static const QStringList waiting{QStringLiteral("mnuStrings_Undo"), QStringLiteral("mnuStrings_Redo"),
                                                 QStringLiteral("mnuStrings_FindNext"),
                                                 QStringLiteral("mnuStrings_FindPrevious"),
                                                 QStringLiteral("mnuFile_CloseReference"),
                                                 QStringLiteral("mnuStrings_NextUntranslated"),
                                                 QStringLiteral("mnuStrings_PreviousUntranslated"),
                                                 QStringLiteral("mnuStrings_AddMissing")};
                for (QAction *item : menu->actions()) {
                    if (item->isEnabled() == waiting.contains(item->objectName()))
                        disabled << item->objectName() + (item->isEnabled() ? QStringLiteral("(on)") : QString());
                }
            }
        }
        say(disabled.isEmpty() ? QStringLiteral("commands all enabled")
                               : QStringLiteral("commands disabled: ") + disabled.join(QLatin1Char(' ')));
        QCoreApplication::quit();
    }
};

class StartupProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "startupprobe.json")

public:
    // The application deletes what this returns when it ends.
    QObject *create(const QString &key, const QString &) override
    {
        return key.compare(QLatin1String("quilletprobe"), Qt::CaseInsensitive) == 0 ? new StartupProbe : nullptr;
    }
};

} // namespace

#include "startupprobe.moc"

#pragma once

// Runs a piece of a test in a forked child, for what must not touch the test process
// itself: lowered resource limits, a dropped user id, or a call that may block. The child
// sends its answer back through a pipe and ends with _exit, so nothing of the test
// framework runs twice.
#include <QByteArray>
#include <QString>

#include <functional>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace childprocess {

struct Result {
    bool exited = false; // ended by _exit rather than by a signal
    int exitCode = -1;
    int signal = 0;
    QByteArray output; // what the body returned

    bool ok() const { return exited && exitCode == 0; }
    QString describe() const
    {
        if (!exited)
            return signal == SIGALRM ? QStringLiteral("the child did not finish in time")
                                     : QStringLiteral("the child died of signal %1").arg(signal);
        return QStringLiteral("the child exited with %1: %2").arg(exitCode).arg(QString::fromUtf8(output));
    }
};

// `body` returns what the parent gets back; it may also _exit with a code of its own.
// `alarmSeconds` is a watchdog that ends a child that blocks, not a measure of speed.
inline Result run(const std::function<QByteArray()> &body, unsigned alarmSeconds = 60)
{
    Result result;
    int fds[2];
    if (pipe(fds) != 0) {
        result.output = "pipe() failed";
        return result;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        result.output = "fork() failed";
        return result;
    }
    if (pid == 0) {
        close(fds[0]);
        alarm(alarmSeconds);
        const QByteArray out = body();
        qsizetype done = 0;
        while (done < out.size()) {
            const ssize_t n = write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                _exit(120);
            done += n;
        }
        _exit(0);
    }
    close(fds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            result.output.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

} // namespace childprocess

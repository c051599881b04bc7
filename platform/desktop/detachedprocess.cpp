#include "desktop/detachedprocess.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

namespace platform {

namespace {

// posix_spawn's options, released on every way out.
struct SpawnOptions {
    posix_spawn_file_actions_t files;
    posix_spawnattr_t attributes;

    SpawnOptions()
    {
        posix_spawn_file_actions_init(&files);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnOptions()
    {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&files);
    }
    SpawnOptions(const SpawnOptions &) = delete;
    SpawnOptions &operator=(const SpawnOptions &) = delete;
};

int prepare(SpawnOptions *options)
{
    for (int channel : {STDOUT_FILENO, STDERR_FILENO}) {
        if (const int failed = posix_spawn_file_actions_addopen(&options->files, channel, "/dev/null", O_WRONLY, 0))
            return failed;
    }
    // Nothing this program blocks or handles carries over: the child starts with every signal
    // unblocked and at its default.
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&options->attributes, &none);
    posix_spawnattr_setsigdefault(&options->attributes, &all);
    return posix_spawnattr_setflags(&options->attributes,
                                    POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

void collectWhenItEnds(pid_t pid)
{
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace

qint64 DetachedProcess::start(const QString &program, const QStringList &arguments, QString *error)
{
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> words{path};
    for (const QString &argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    SpawnOptions options;
    int failed = prepare(&options);
    pid_t pid = -1;
    if (!failed)
        failed = posix_spawn(&pid, path.constData(), &options.files, &options.attributes, argv.data(), environ);
    if (failed) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(failed));
        return -1;
    }
    collectWhenItEnds(pid);
    return pid;
}

} // namespace platform

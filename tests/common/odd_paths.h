#pragma once
// Paths that are no plain file, for the file layers' tests: FIFOs, sockets,
// devices, folders and links. A watchdog ends a test that blocks on one, so
// that a regression fails at once instead of at the suite's time-out.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace special {

// Ends the test program with a message when the scope lasts longer than
// seconds; what it guards must never wait, so any time-out means a hang.
class Watchdog {
public:
    explicit Watchdog(const char *what, unsigned seconds = 10)
    {
        What() = what;
        std::signal(SIGALRM, &Watchdog::Fire);
        ::alarm(seconds);
    }
    ~Watchdog()
    {
        ::alarm(0);
        std::signal(SIGALRM, SIG_DFL);
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    static const char *&What()
    {
        static const char *what = "";
        return what;
    }
    static void Fire(int)
    {
        const char head[] = "\nWATCHDOG: blocked on ";
        [[maybe_unused]] ssize_t n = ::write(2, head, sizeof head - 1);
        n = ::write(2, What(), std::strlen(What()));
        n = ::write(2, "\n", 1);
        ::_exit(3);
    }
};

inline QByteArray Native(const QString &path) { return QFile::encodeName(path); }

inline bool MakeFifo(const QString &path) { return ::mkfifo(Native(path).constData(), 0644) == 0; }

// A listening socket's file stays after the socket is closed.
inline bool MakeSocket(const QString &path)
{
    const QByteArray name = Native(path);
    sockaddr_un addr{};
    if (size_t(name.size()) >= sizeof addr.sun_path)
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool ok = ::bind(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

inline bool MakeLink(const QString &target, const QString &link)
{
    return ::symlink(Native(target).constData(), Native(link).constData()) == 0;
}

inline bool IsLink(const QString &path)
{
    struct stat st;
    return ::lstat(Native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

inline bool IsFifo(const QString &path)
{
    struct stat st;
    return ::lstat(Native(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Runs body in a child process under a file-size limit of limit bytes,
// with SIGXFSZ left as the system sets it (ending the process). Returns
// the child's exit code, or a text naming the signal that ended it.
inline std::string RunUnderFileSizeLimit(rlim_t limit, const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return "fork failed";
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit small{};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = limit;
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0)
            ::_exit(100);
        ::alarm(20); // a hang ends the child too
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return "waitpid failed";
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + strsignal(WTERMSIG(status));
    return "exit " + std::to_string(WEXITSTATUS(status));
}

} // namespace special

#include "common/filereplace.h"
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// A write beyond the file-size limit raises SIGXFSZ, which would end the
// program. It is held back while the file is written and dropped when the
// write raised it, so that the limit fails the save like a full disk.
class FileSizeSignalHeld {
public:
    FileSizeSignalHeld()
    {
        sigemptyset(&set_);
        sigaddset(&set_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &set_, &old_);
        sigset_t pending;
        wasPending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1;
    }
    ~FileSizeSignalHeld()
    {
        sigset_t pending;
        if (!wasPending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1) {
            const timespec now{0, 0};
            sigtimedwait(&set_, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    FileSizeSignalHeld(const FileSizeSignalHeld &) = delete;
    FileSizeSignalHeld &operator=(const FileSizeSignalHeld &) = delete;

private:
    sigset_t set_, old_;
    bool wasPending_ = false;
};

// The name a chain of links ends at: the file a save replaces, or creates
// when the last link dangles. False for a loop or a link that cannot be read.
bool ChainEnd(QByteArray path, QByteArray &end)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0) {
            if (errno != ENOENT)
                return false;
            end = path; // created by the save; a missing folder fails it
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            end = path;
            return true;
        }
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n <= 0 || n >= target.size())
            return false;
        target.truncate(n);
        if (!target.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            target.prepend(path.left(slash + 1)); // beside the link
        }
        path = target;
    }
    return false;
}

// Temporaries are "." + name + TempMark + six letters or digits.
constexpr char TempMark[] = ".saving-";
constexpr int TempRandom = 6;

// Removes the temporaries of this file that killed saves left behind. A save
// in progress holds a lock on its temporary, so only unlocked ones of this
// user go, and only while the name still stands for the file locked.
void RemoveLeftovers(const QByteArray &dir, const QByteArray &folder, const QByteArray &prefix)
{
    DIR *d = ::opendir(dir.constData());
    if (!d)
        return;
    auto random = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    while (const dirent *e = ::readdir(d)) {
        const size_t length = std::strlen(e->d_name);
        if (length != size_t(prefix.size()) + TempRandom ||
            std::memcmp(e->d_name, prefix.constData(), size_t(prefix.size())) != 0 ||
            !std::all_of(e->d_name + prefix.size(), e->d_name + length, random))
            continue;
        const QByteArray path = folder + '/' + e->d_name;
        const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        int fd = ::open(path.constData(), O_RDONLY | flags);
        if (fd < 0)
            fd = ::open(path.constData(), O_WRONLY | flags);
        if (fd < 0)
            continue;
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.constData(), &named) == 0 &&
            named.st_ino == held.st_ino && named.st_dev == held.st_dev)
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(d);
}

// Creates the temporary and locks it against the clean-up of other saves.
// A temporary that such a clean-up took before the lock is given up for
// another. Where the file system has no locks the temporary goes unlocked.
int CreateTemporary(const QByteArray &pattern, QByteArray &name)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = pattern;
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK)
                return fd; // no locks on this file system
            ::close(fd);   // being removed as a leftover
            continue;
        }
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::lstat(name.constData(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
    return -1;
}

} // namespace

bool ReplaceFile(const QString &path, const QByteArray &bytes)
{
    QByteArray final;
    if (!ChainEnd(QFile::encodeName(path), final))
        return false;
    const qsizetype slash = final.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : final.left(slash);
    const QByteArray base = final.mid(slash + 1);
    if (base.isEmpty())
        return false;

    struct stat old;
    const bool exists = ::stat(final.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return false; // a directory, FIFO, socket or device where the file should be
    // A read-only file stays as it is, although its folder would let the
    // rename replace it.
    if (exists && ::access(final.constData(), W_OK) != 0)
        return false;

    // Named after the file, short enough for any name the file may have.
    const QByteArray prefix = '.' + base.left(200) + TempMark;
    const QByteArray folder = dir == "/" ? QByteArray() : dir;
    RemoveLeftovers(dir, folder, prefix);
    QByteArray temp;
    const int fd = CreateTemporary(folder + '/' + prefix + QByteArray(TempRandom, 'X'), temp);
    if (fd < 0)
        return false;
    mode_t mode;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // The new file is the saver's; it gets the old one's owner and group
    // back where the system allows (the owner only for root, the group for a
    // member of it). Before the mode, which a change of owner may clear.
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
            // Neither: the file becomes the saver's, as any new file would.
        }
    }
    bool ok;
    {
        const FileSizeSignalHeld held;
        ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    }
    // Renamed while still locked, so no clean-up can take it first.
    if (!ok || ::rename(temp.constData(), final.constData()) != 0) {
        ::unlink(temp.constData());
        ::close(fd);
        return false;
    }
    ::close(fd);
    // The rename itself reaches the disk with the directory.
    int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}


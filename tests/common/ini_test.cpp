#include "common/ini.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include "tests/common/odd_paths.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/inotify.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class Ini : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char *name) const { return dir.filePath(name); }
    void Put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get(const QString &path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

} // namespace

TEST_F(Ini, WritesKeyByKeyInSectionOrder)
{
    QString p = Path("a.scl3");
    {
        IniFile ini(p);
        ini.WriteString("File", "Handle", "SIG");
        ini.WriteString("Scale", "About", QString::fromUtf8("~Шкала"));
        ini.WriteInteger("Scale", "ApproType", 1);
        ini.WriteInteger("Points", "Count", 2);
    }
    EXPECT_EQ(Get(p), cp1251::Encode(QString::fromUtf8(
                          "[File]\r\nHandle=SIG\r\n\r\n[Scale]\r\nAbout=~Шкала\r\nApproType=1\r\n\r\n[Points]\r\nCount=2\r\n")));
    IniFile back(p);
    EXPECT_EQ(back.ReadString("scale", "ABOUT", ""), QString::fromUtf8("~Шкала"));
    EXPECT_EQ(back.ReadInteger("Points", "Count", 0), 2);
    EXPECT_TRUE(back.SectionExists("FILE"));
    EXPECT_EQ(back.ReadSection("Scale"), QStringList({"About", "ApproType"}));
}

TEST_F(Ini, ReplacesInPlaceAndKeepsForeignLines)
{
    QString p = Path("b.ini");
    Put(p, "; made by hand\r\n[Points]\r\nCount=10\r\nX9=5\r\n\r\n[Other]\r\nkey = spaced value \r\nq=\"quoted\"\r\n");
    IniFile ini(p);
    EXPECT_EQ(ini.ReadString("Other", "key", "d"), "spaced value");
    EXPECT_EQ(ini.ReadString("Other", "q", "d"), "quoted");
    EXPECT_EQ(ini.ReadString("Other", "missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("Nowhere", "key", "d"), "d");
    ini.WriteInteger("points", "count", 3);
    ini.WriteString("Points", "X0", "1,5");
    EXPECT_EQ(Get(p), QByteArray("; made by hand\r\n[Points]\r\nCount=3\r\nX9=5\r\nX0=1,5\r\n\r\n[Other]\r\nkey = spaced value \r\nq=\"quoted\"\r\n"));
}

TEST_F(Ini, NumbersUseTheProcessSeparator)
{
    numtext::SetDecimalSeparator(',');
    QString p = Path("c.ini");
    IniFile ini(p);
    ini.WriteFloat("P", "X0", 12.5);
    ini.WriteString("P", "Bad", "12.5");
    ini.WriteString("P", "Int", "x7");
    EXPECT_EQ(ini.ReadString("P", "X0", ""), "12,5");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("P", "X0", 0), 12.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("P", "Bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("P", "Int", 42), 42);
    EXPECT_EQ(ini.ReadInteger("P", "Missing", -3), -3);
    numtext::SetDecimalSeparator('.');
}

// A full disk, as root too: the file-size limit binds every user. The write
// fails part way and the old file must stay as it was, with no stray copy.
TEST_F(Ini, FailedWriteThrowsAndKeepsOldContent)
{
    const QString p = Path("full.ini");
    const QByteArray old = "[S]\r\nK=old\r\n";
    Put(p, old);
    IniFile ini(p);
    ASSERT_EQ(ini.ReadString("S", "K", ""), "old");

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN); // EFBIG instead of the signal
    struct rlimit small = saved;
    small.rlim_cur = rlim_t(old.size());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        ini.WriteString("S", "K", "a value longer than the limit allows");
    } catch (const EIniFileException &e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_EQ(error, "Unable to write to " + p.toStdString());
    EXPECT_EQ(Get(p), old);
    EXPECT_EQ(IniFile(p).ReadString("S", "K", ""), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"full.ini"});
    // The object keeps the file as it is on disk, and writes again once it can.
    EXPECT_EQ(ini.ReadString("S", "K", ""), "old");
    ini.WriteString("S", "K", "new");
    EXPECT_EQ(IniFile(p).ReadString("S", "K", ""), "new");
}

TEST_F(Ini, UnwritableFileThrowsAndKeepsOldContent)
{
    // A path under a regular file can never be created, not even by root.
    QString plain = Path("plain");
    Put(plain, "x");
    IniFile under(plain + "/sub.ini");
    try {
        under.WriteString("S", "K", "V");
        FAIL() << "write under a file succeeded";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + (plain + "/sub.ini").toStdString());
    }
    EXPECT_EQ(Get(plain), QByteArray("x"));
    if (geteuid() == 0)
        return; // root writes into a read-only folder; the full-disk case above covers it

    QString p = Path("ro.ini");
    Put(p, "[S]\r\nK=old\r\n");
    chmod(dir.path().toLocal8Bit(), 0500);
    IniFile ini(p);
    EXPECT_THROW(ini.WriteString("S", "K", "new"), EIniFileException);
    chmod(dir.path().toLocal8Bit(), 0700);
    EXPECT_EQ(IniFile(p).ReadString("S", "K", ""), "old");
}

TEST_F(Ini, EraseAndDelete)
{
    QString p = Path("d.ini");
    Put(p, "[A]\nk=1\nj=2\n[B]\nx=3\n");
    IniFile ini(p);
    ini.DeleteKey("A", "K");
    ini.EraseSection("b");
    EXPECT_EQ(Get(p), QByteArray("[A]\r\nj=2\r\n"));
    EXPECT_FALSE(ini.ValueExists("A", "k"));
    EXPECT_TRUE(ini.ValueExists("A", "j"));
}

namespace {

// What happened in a directory, as inotify saw it.
struct DirEvents {
    int creates = 0;
    std::vector<std::string> movedTo;
    std::vector<std::string> modified; // names written in place
};

class DirWatch {
public:
    explicit DirWatch(const QString &dir)
    {
        fd_ = inotify_init1(IN_NONBLOCK);
        inotify_add_watch(fd_, dir.toLocal8Bit().constData(), IN_CREATE | IN_MOVED_TO | IN_MODIFY);
    }
    ~DirWatch() { close(fd_); }
    bool Ok() const { return fd_ >= 0; }
    DirEvents Take()
    {
        DirEvents e;
        alignas(inotify_event) char buf[65536];
        for (;;) {
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0)
                break;
            for (char *p = buf; p < buf + n;) {
                auto *ev = reinterpret_cast<inotify_event *>(p);
                std::string name = ev->len ? ev->name : "";
                if (ev->mask & IN_CREATE)
                    ++e.creates;
                if (ev->mask & IN_MOVED_TO)
                    e.movedTo.push_back(name);
                if (ev->mask & IN_MODIFY)
                    e.modified.push_back(name);
                p += sizeof(inotify_event) + ev->len;
            }
        }
        return e;
    }

private:
    int fd_;
};

ino_t Inode(const QString &path)
{
    struct stat st{};
    stat(path.toLocal8Bit().constData(), &st);
    return st.st_ino;
}

} // namespace

TEST_F(Ini, BatchReplacesTheFileOnceByOneRename)
{
    numtext::SetDecimalSeparator(',');
    QString p = Path("scale.scl3");
    Put(p, "[Points]\r\nCount=10\r\n");
    chmod(p.toLocal8Bit().constData(), 0640);
    const ino_t before = Inode(p);
    DirWatch watch(dir.path());
    ASSERT_TRUE(watch.Ok());

    IniFile ini(p);
    ini.BeginUpdate();
    EXPECT_TRUE(ini.Updating());
    for (int i = 0; i < 57; ++i) {
        ini.WriteFloat("Points", QString("X%1").arg(i), i + 0.5);
        ini.WriteFloat("Points", QString("Y%1").arg(i), -i);
    }
    ini.WriteInteger("Points", "Count", 57);
    DirEvents idle = watch.Take();
    EXPECT_EQ(idle.creates, 0);
    EXPECT_TRUE(idle.movedTo.empty());
    EXPECT_EQ(Get(p), QByteArray("[Points]\r\nCount=10\r\n")); // nothing on disk yet

    ini.UpdateFile();
    EXPECT_FALSE(ini.Updating());
    DirEvents e = watch.Take();
    EXPECT_EQ(e.creates, 1); // one temporary
    ASSERT_EQ(e.movedTo.size(), 1u);
    EXPECT_EQ(e.movedTo[0], "scale.scl3");
    for (const std::string &name : e.modified)
        EXPECT_NE(name, "scale.scl3") << "written in place";
    EXPECT_NE(Inode(p), before);
    struct stat st{};
    stat(p.toLocal8Bit().constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"scale.scl3"});
    QByteArray bytes = Get(p);
    EXPECT_TRUE(bytes.startsWith("[Points]\r\nCount=57\r\nX0=0,5\r\nY0=0\r\nX1=1,5\r\nY1=-1\r\n"));
    EXPECT_TRUE(bytes.endsWith("X56=56,5\r\nY56=-56\r\n"));
    numtext::SetDecimalSeparator('.');
}

TEST_F(Ini, BatchKeepsEveryLineItDoesNotWrite)
{
    QString p = Path("keep.ini");
    const QByteArray old = "; comment first\r\n[Scale]\r\nAbout=~old\r\nForeign = kept  \r\n; inside\r\n\r\n"
                           "[Points]\r\nCount=10\r\nX9=9\r\nY9=9\r\n\r\n[Other]\nz=1\n";
    Put(p, old);
    IniFile ini(p);
    ini.BeginUpdate();
    ini.WriteString("SCALE", "about", "~new");
    ini.WriteString("Scale", "XName", "~x");
    ini.WriteInteger("Points", "Count", 3);
    ini.WriteString("Fresh", "k", "v");
    ini.UpdateFile();
    EXPECT_EQ(Get(p), QByteArray("; comment first\r\n[Scale]\r\nAbout=~new\r\nForeign = kept  \r\n; inside\r\n"
                                 "XName=~x\r\n\r\n[Points]\r\nCount=3\r\nX9=9\r\nY9=9\r\n\r\n[Other]\r\nz=1\r\n"
                                 "\r\n[Fresh]\r\nk=v\r\n"));
}

TEST_F(Ini, UnwritableTargetKeepsTheOldFileByteForByte)
{
    // Real failures for root too: a file that may not grow, a directory
    // where the file should be, a folder that is a regular file.
    QString p = Path("old.scl3");
    const QByteArray old = "[File]\r\nHandle=old\r\n";
    Put(p, old);
    IniFile ini(p);
    ini.BeginUpdate();
    for (int i = 0; i < 2000; ++i)
        ini.WriteInteger("Points", QString("X%1").arg(i), i);
    struct rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    auto oldSignal = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
        ini.UpdateFile();
        ADD_FAILURE() << "a file over the size limit was written";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + p.toStdString());
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(Get(p), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.scl3"}) << "temporary left";
    // The failed batch is over; the content stays for a later write.
    EXPECT_FALSE(ini.Updating());
    EXPECT_EQ(ini.ReadInteger("Points", "X1999", -1), 1999);

    QString d = Path("adir.scl3");
    ASSERT_TRUE(QDir(dir.path()).mkdir("adir.scl3"));
    Put(d + "/inside", "x");
    IniFile onDir(d);
    onDir.BeginUpdate();
    onDir.WriteString("File", "Handle", "x");
    EXPECT_THROW(onDir.UpdateFile(), EIniFileException);
    EXPECT_TRUE(QFileInfo(d).isDir());
    EXPECT_EQ(Get(d + "/inside"), QByteArray("x"));

    IniFile underFile(p + "/sub.scl3");
    underFile.BeginUpdate();
    underFile.WriteString("File", "Handle", "x");
    EXPECT_THROW(underFile.UpdateFile(), EIniFileException);
    EXPECT_EQ(Get(p), old);
}

TEST_F(Ini, FailedSingleWriteLeavesTheObjectAsItWas)
{
    QString d = Path("target");
    ASSERT_TRUE(QDir(dir.path()).mkdir("target"));
    IniFile ini(d);
    EXPECT_THROW(ini.WriteString("S", "K", "V"), EIniFileException);
    EXPECT_FALSE(ini.SectionExists("S"));
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "none");
}

TEST_F(Ini, LineBreaksAndNulNeverReachTheFile)
{
    QString p = Path("lines.ini");
    IniFile ini(p);
    ini.WriteString("S", "About", QString("~one\r\ntwo") + QChar(0) + "three\rfour\nfive");
    ini.WriteString("S\nX", "K\r", "v");
    EXPECT_EQ(Get(p), QByteArray("[S]\r\nAbout=~one  two three four five\r\n\r\n[S X]\r\nK=v\r\n"));
    IniFile back(p);
    EXPECT_EQ(back.ReadSection("S"), QStringList{"About"});
    EXPECT_EQ(back.ReadString("S", "About", ""), "~one  two three four five");
}

TEST_F(Ini, FirstSectionAndFirstKeyOfDuplicatesAreRead)
{
    QString p = Path("dup.ini");
    Put(p, QByteArray("[a]\r\nk=1\r\nK=2\r\n[A]\r\nk=3\r\nj=4\r\n[b]\r\nv=x") + QByteArray(1, '\0') + "y\r\n");
    IniFile ini(p);
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    EXPECT_FALSE(ini.ValueExists("a", "j")); // only the first [a] counts
    EXPECT_EQ(ini.ReadString("B", "V", ""), "x"); // up to the NUL
    ini.WriteInteger("A", "K", 5);
    EXPECT_TRUE(Get(p).startsWith("[a]\r\nk=5\r\nK=2\r\n[A]\r\nk=3\r\n"));
    ini.DeleteKey("a", "k");
    EXPECT_EQ(ini.ReadInteger("a", "k", 0), 2); // the next of that name comes forward
    ini.EraseSection("a");
    EXPECT_EQ(ini.ReadInteger("a", "k", 0), 3); // and the next section of that name
}

TEST_F(Ini, HugeFileIsReadInPartAndNeverWrittenBack)
{
    QString p = Path("huge.ini");
    QByteArray head = "[S]\r\nK=1\r\n";
    {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(head);
        QByteArray chunk(1 << 20, 'z');
        for (int i = 0; i < 17; ++i)
            f.write(chunk);
    }
    const qint64 size = QFileInfo(p).size();
    IniFile ini(p);
    EXPECT_TRUE(ini.Truncated());
    EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);
    EXPECT_THROW(ini.WriteInteger("S", "K", 2), EIniFileException);
    EXPECT_EQ(QFileInfo(p).size(), size);
    EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);
}

TEST_F(Ini, LongNamesReadOnlyFilesAndLinks)
{
    // The temporary beside a file of the longest name still fits.
    const QString longName = QString(250, u'n') + ".ini";
    QString p = Path(longName.toUtf8().constData());
    IniFile ini(p);
    ini.WriteString("S", "K", "V");
    EXPECT_EQ(Get(p), QByteArray("[S]\r\nK=V\r\n"));

    // Through a link the file it points to is replaced; the link stays.
    QString target = Path("target.ini");
    Put(target, "[S]\r\nK=old\r\n");
    QString link = Path("link.ini");
    ASSERT_TRUE(QFile::link(target, link));
    IniFile viaLink(link);
    viaLink.WriteString("S", "K", "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Get(target), QByteArray("[S]\r\nK=new\r\n"));

    if (geteuid() == 0)
        GTEST_SKIP() << "root may write a read-only file";
    QString ro = Path("readonly.ini");
    Put(ro, "[S]\r\nK=old\r\n");
    chmod(ro.toLocal8Bit().constData(), 0444);
    IniFile readOnly(ro);
    EXPECT_THROW(readOnly.WriteString("S", "K", "new"), EIniFileException);
    EXPECT_EQ(Get(ro), QByteArray("[S]\r\nK=old\r\n"));

    // Writes alone would replace a file that could not be read.
    QString wo = Path("writeonly.ini");
    Put(wo, "[S]\r\nK=old\r\nOther=kept\r\n");
    chmod(wo.toLocal8Bit().constData(), 0200);
    IniFile writeOnly(wo);
    EXPECT_FALSE(writeOnly.ValueExists("S", "Other"));
    writeOnly.BeginUpdate();
    writeOnly.WriteString("S", "K", "new");
    EXPECT_THROW(writeOnly.UpdateFile(), EIniFileException);
    chmod(wo.toLocal8Bit().constData(), 0600);
    EXPECT_EQ(Get(wo), QByteArray("[S]\r\nK=old\r\nOther=kept\r\n"));
}

// A save replaces the file by a new one; that one gets the old file's owner
// and group back, where the system lets the saver give them: both for root,
// and the group for a member of it.
TEST_F(Ini, SaveKeepsTheOwnerAndGroup)
{
    const QString p = Path("owned.ini");
    Put(p, "[S]\r\nK=old\r\n");
    uid_t owner = ::geteuid();
    gid_t group = ::getegid();
    if (owner == 0) {
        owner = 65534; // any other user and group
        group = 65534;
    } else {
        std::vector<gid_t> groups(size_t(std::max(::getgroups(0, nullptr), 0)));
        groups.resize(size_t(std::max(::getgroups(int(groups.size()), groups.data()), 0)));
        const auto other = std::find_if(groups.begin(), groups.end(), [](gid_t g) { return g != ::getegid(); });
        if (other == groups.end())
            GTEST_SKIP() << "no other group to give the file";
        group = *other;
    }
    const QByteArray native = special::Native(p);
    ASSERT_EQ(::chown(native.constData(), owner, group), 0);
    ASSERT_EQ(::chmod(native.constData(), 0664), 0);

    IniFile ini(p);
    ini.WriteString("S", "K", "new"); // a single write
    ini.BeginUpdate();
    ini.WriteString("S", "J", "batch");
    ini.UpdateFile(); // and a batch
    EXPECT_EQ(Get(p), QByteArray("[S]\r\nK=new\r\nJ=batch\r\n"));
    struct stat st{};
    ASSERT_EQ(::stat(native.constData(), &st), 0);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

namespace {

QStringList Listing(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

// Nothing waits on a FIFO, a socket or a device: each reads as empty
// without being opened, refuses every write at once, and stays what it is.
TEST_F(Ini, PathsThatAreNoFileAreNeitherOpenedNorReplaced)
{
    const QString fifo = Path("fifo.ini");
    ASSERT_TRUE(special::MakeFifo(fifo));
    const QString socket = Path("socket.ini");
    ASSERT_TRUE(special::MakeSocket(socket));
    const QString device = Path("device.ini"); // a link to a character device
    ASSERT_TRUE(special::MakeLink("/dev/null", device));
    const QString folder = Path("folder.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    const QStringList before = Listing(dir.path());
    struct Case {
        QString path;
        IniPathKind kind;
    };
    for (const Case &c : {Case{fifo, IniPathKind::Special}, Case{socket, IniPathKind::Special},
                          Case{device, IniPathKind::Special}, Case{folder, IniPathKind::Directory}}) {
        SCOPED_TRACE(c.path.toStdString());
        const special::Watchdog watchdog("an INI path that is no file");
        IniFile ini(c.path);
        EXPECT_EQ(ini.PathKind(), c.kind);
        EXPECT_FALSE(ini.SectionExists("S"));
        EXPECT_EQ(ini.ReadString("S", "K", "none"), "none");
        try {
            ini.WriteString("S", "K", "V");
            ADD_FAILURE() << "written";
        } catch (const EIniFileException &e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + c.path.toStdString());
        }
        ini.BeginUpdate();
        ini.WriteString("S", "K", "V");
        EXPECT_THROW(ini.UpdateFile(), EIniFileException);
        EXPECT_EQ(ini.ReadString("S", "K", "none"), "V"); // the batch stays in memory
    }
    EXPECT_TRUE(special::IsFifo(fifo));
    EXPECT_TRUE(special::IsLink(device));
    struct stat null{};
    EXPECT_TRUE(stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode));
    EXPECT_EQ(Listing(dir.path()), before) << "a temporary was left or a path replaced";
    EXPECT_EQ(IniFile(Path("missing.ini")).PathKind(), IniPathKind::Missing);
    Put(Path("plain.ini"), "[S]\r\nK=1\r\n");
    EXPECT_EQ(IniFile(Path("plain.ini")).PathKind(), IniPathKind::File);
}

// A chain of links is followed to its end, whose file is replaced; a
// dangling link gets the file it names, when that folder exists.
TEST_F(Ini, LinkChainsAreFollowedToTheirEnd)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const QString end = Path("real/c.ini");
    Put(end, "[S]\r\nK=old\r\n");
    ASSERT_TRUE(special::MakeLink(end, Path("b.ini")));      // absolute
    ASSERT_TRUE(special::MakeLink("b.ini", Path("a.ini")));  // relative to its folder
    IniFile viaChain(Path("a.ini"));
    EXPECT_EQ(viaChain.PathKind(), IniPathKind::File);
    EXPECT_EQ(viaChain.ReadString("S", "K", ""), "old");
    viaChain.WriteString("S", "K", "new");
    EXPECT_TRUE(special::IsLink(Path("a.ini")));
    EXPECT_TRUE(special::IsLink(Path("b.ini")));
    EXPECT_EQ(Get(end), QByteArray("[S]\r\nK=new\r\n"));
    EXPECT_EQ(Listing(Path("real")), QStringList{"c.ini"});

    ASSERT_TRUE(special::MakeLink("real/made.ini", Path("dangling.ini")));
    IniFile dangling(Path("dangling.ini"));
    EXPECT_EQ(dangling.PathKind(), IniPathKind::Missing);
    dangling.WriteString("S", "K", "v");
    EXPECT_TRUE(special::IsLink(Path("dangling.ini")));
    EXPECT_EQ(Get(Path("real/made.ini")), QByteArray("[S]\r\nK=v\r\n"));

    ASSERT_TRUE(special::MakeLink("nowhere/x.ini", Path("nofolder.ini")));
    ASSERT_TRUE(special::MakeLink("loop2.ini", Path("loop1.ini")));
    ASSERT_TRUE(special::MakeLink("loop1.ini", Path("loop2.ini")));
    const QStringList before = Listing(dir.path());
    for (const char *name : {"nofolder.ini", "loop1.ini"}) {
        SCOPED_TRACE(name);
        IniFile ini(Path(name));
        EXPECT_EQ(ini.PathKind(), IniPathKind::Missing);
        EXPECT_THROW(ini.WriteString("S", "K", "v"), EIniFileException);
    }
    EXPECT_EQ(Listing(dir.path()), before);
}

// Under a file-size limit the save fails like a full disk, in a process
// that left SIGXFSZ as it was: the old file stays and no temporary is left.
TEST_F(Ini, FileSizeLimitFailsTheSaveAndEndsNothing)
{
    const QString p = Path("limited.ini");
    const QByteArray old = "[S]\r\nK=old\r\n";
    Put(p, old);
    const std::string outcome = special::RunUnderFileSizeLimit(4096, [&] {
        IniFile ini(p);
        ini.BeginUpdate();
        for (int i = 0; i < 1000; ++i)
            ini.WriteInteger("S", QString("X%1").arg(i), i);
        try {
            ini.UpdateFile();
            return 1;
        } catch (const EIniFileException &e) {
            if (std::string(e.what()) != "Unable to write to " + p.toStdString())
                return 2;
        }
        // A later save that fits goes through.
        IniFile small(p);
        small.WriteString("S", "K", "new");
        return 0;
    });
    EXPECT_EQ(outcome, "exit 0");
    EXPECT_EQ(Get(p), QByteArray("[S]\r\nK=new\r\n"));
    EXPECT_EQ(Listing(dir.path()), QStringList{"limited.ini"}) << "temporary left";
}

// A save killed on the way leaves its temporary; the next save of that file
// removes it, but not the temporary of a save still running (it holds a
// lock), nor what belongs to other files or to the user.
TEST_F(Ini, LeftoversOfKilledSavesGoWithTheNextSave)
{
    const QString p = Path("t.ini");
    Put(p, "[S]\r\nK=old\r\n");
    const QStringList dead = {".t.ini.saving-a1B2c3", ".t.ini.saving-ZZZZZZ"};
    const QStringList kept = {".t.ini.saving-live01", ".u.ini.saving-a1B2c3", ".t.ini.saving-notes.txt",
                              ".t.ini.bak", ".t.ini.saving-abc"};
    for (const QString &name : dead + kept)
        Put(dir.filePath(name), "half a save");
    const QByteArray live = special::Native(dir.filePath(".t.ini.saving-live01"));
    const int liveFd = ::open(live.constData(), O_RDONLY);
    ASSERT_GE(liveFd, 0);
    ASSERT_EQ(::flock(liveFd, LOCK_EX | LOCK_NB), 0);

    IniFile ini(p);
    ini.WriteString("S", "K", "new");
    ::close(liveFd);
    EXPECT_EQ(Get(p), QByteArray("[S]\r\nK=new\r\n"));
    QStringList expected = kept;
    expected << "t.ini";
    expected.sort();
    EXPECT_EQ(Listing(dir.path()), expected);

    // Once that save is gone too, its temporary goes with the next one.
    ini.WriteString("S", "K", "newer");
    expected.removeAll(".t.ini.saving-live01");
    EXPECT_EQ(Listing(dir.path()), expected);
}

// In a shared folder the clean-up takes only the saver's own leftovers: a
// dead temporary of another user, or a link named like one, stays.
TEST_F(Ini, LeftoversOfOtherUsersAndLinksStay)
{
    const QString p = Path("t.ini");
    Put(p, "[S]\r\nK=old\r\n");
    Put(Path("mine.txt"), "the user's own file");
    ASSERT_TRUE(special::MakeLink(Path("mine.txt"), Path(".t.ini.saving-link01")));
    QStringList kept = {".t.ini.saving-link01", "mine.txt", "t.ini"};
    if (::geteuid() == 0) {
        const QString theirs = Path(".t.ini.saving-other1");
        Put(theirs, "half of another user's save");
        ASSERT_EQ(::chown(special::Native(theirs).constData(), 65534, 65534), 0);
        kept << ".t.ini.saving-other1";
    }
    kept.sort();
    IniFile ini(p);
    ini.WriteString("S", "K", "new");
    EXPECT_EQ(Listing(dir.path()), kept);
    EXPECT_EQ(Get(Path("mine.txt")), QByteArray("the user's own file"));
}

// Writes go into the first section of a name, before the blank lines that end
// it and before any later section of that name; every other line is kept as
// it stands, its line break made CR LF.
TEST_F(Ini, WritesLandInTheFirstSectionOfTheirName)
{
    const QString p = Path("order.ini");
    Put(p, QByteArray("lead=in\r[A]\nk=1\r\n\r\n[B]\r\nx=1\r\n[a]\r\nk=2\r\n ; tail\r\n[\xD8\xEA\xE0\xEB\xE0]\r\n"
                      "\xA0v\xA0=\xA0 spaced \xA0\r\nlast=no break"));
    IniFile ini(p);
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
    EXPECT_EQ(ini.ReadString("", "lead", "none"), "none"); // the lines before any header are no section
    EXPECT_EQ(ini.ReadString(QString::fromUtf8("ШКАЛА"), "V", ""), "spaced"); // no-break spaces are blanks
    ini.BeginUpdate();
    ini.WriteString("a", "j", "2");
    ini.WriteString("B", "y", "3");
    ini.WriteString(QString::fromUtf8("шкала"), "new", "4");
    ini.WriteString("A", "K", "5");
    ini.WriteString("Fresh", "f", "6");
    ini.UpdateFile();
    EXPECT_EQ(Get(p), QByteArray("lead=in\r\n[A]\r\nk=5\r\nj=2\r\n\r\n[B]\r\nx=1\r\ny=3\r\n[a]\r\nk=2\r\n ; tail\r\n"
                                 "[\xD8\xEA\xE0\xEB\xE0]\r\n\xA0v\xA0=\xA0 spaced \xA0\r\nlast=no break\r\nnew=4\r\n"
                                 "\r\n[Fresh]\r\nf=6\r\n"));
    IniFile back(p);
    EXPECT_EQ(back.ReadSection("A"), QStringList({"k", "j"}));
    EXPECT_EQ(back.ReadString("FRESH", "F", ""), "6");
}

// Random files and edits: after each batch the object reads what a fresh read
// of the file it saved reads, section by section.
TEST_F(Ini, RandomEditsReadBackAsTheFileHolds)
{
    const char *const lines[] = {"[A]", "[a]", " [ B ] x", "[C", "[]", "k=1", "K = 2 ", "j=\"q\"", ";c=1", "", "  ",
                                 "x", "=v", "\xA0k\xA0=\xA0v", "[\xD8\xEA\xE0\xEB\xE0]", "m= 'x' ", "[B]"};
    const char *const ends[] = {"\r\n", "\n", "\r"};
    const QStringList sections = {"A", "a", "B", "C", "", QString::fromUtf8("ШКАЛА"), "New", "b"};
    const QStringList keys = {"k", "K", "j", "m", "x", QString::fromUtf8("Ш"), "n1"};
    const QStringList values = {"1", " sp ", "", "\"q\"", QString::fromUtf8("Привет")};
    std::mt19937 rng(20261211);
    const QString p = Path("random.ini");
    for (int round = 0; round < 600; ++round) {
        QByteArray file;
        for (int i = int(rng() % 12); i > 0; --i) {
            file += lines[rng() % std::size(lines)];
            if (i > 1 || rng() % 2)
                file += ends[rng() % std::size(ends)];
        }
        Put(p, file);
        IniFile ini(p);
        ini.BeginUpdate();
        for (int op = int(rng() % 8); op >= 0; --op) {
            const QString s = sections[qsizetype(rng() % sections.size())];
            const QString k = keys[qsizetype(rng() % keys.size())];
            switch (rng() % 5) {
            case 0: ini.DeleteKey(s, k); break;
            case 1: ini.EraseSection(s); break;
            default: ini.WriteString(s, k, values[qsizetype(rng() % values.size())]);
            }
        }
        ini.UpdateFile();
        const IniFile back(p);
        for (const QString &s : sections) {
            ASSERT_EQ(ini.SectionExists(s), back.SectionExists(s)) << round;
            ASSERT_EQ(ini.ReadSection(s), back.ReadSection(s)) << round << " " << s.toStdString();
            for (const QString &k : keys)
                ASSERT_EQ(ini.ReadString(s, k, "-"), back.ReadString(s, k, "-")) << round;
        }
    }
}

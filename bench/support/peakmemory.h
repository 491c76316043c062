#pragma once
// The resident set of this process and its peak, from /proc: what the memory
// benchmarks measure. A figure is valid only when the benchmark runs alone.
#include <QByteArray>
#include <QFile>
#include <cstdio>

// A field of /proc/self/status in kB ("VmRSS:" now, "VmHWM:" the peak).
inline long StatusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Starts a new peak at the current resident set.
inline void ResetPeak()
{
    if (std::FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

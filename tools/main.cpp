// q5m8-emu: the instrument stand-in on a pseudo-terminal, for use by hand.
#include "tools/emulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

int Usage(std::FILE *to, int code)
{
    std::fputs(emu::UsageText, to);
    std::fputs(emu::FixtureHelp, to);
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    QString link, fixture, logPath;
    std::vector<std::pair<std::uint8_t, emu::Fault>> faults;
    bool paced = false;
    int baud = 38400;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char *name) -> const char * {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "q5m8-emu: %s needs a value\n", name);
                std::exit(Usage(stderr, 2));
            }
            return argv[++i];
        };
        if (a == "-h" || a == "--help")
            return Usage(stdout, 0);
        if (a == "--link")
            link = QString::fromLocal8Bit(value("--link"));
        else if (a == "--fixture")
            fixture = QString::fromLocal8Bit(value("--fixture"));
        else if (a == "--paced")
            paced = true;
        else if (a == "--baud") {
            const char *text = value("--baud");
            char *end = nullptr;
            long b = std::strtol(text, &end, 10);
            if (end == text || *end != '\0' || b < 50 || b > 4000000) {
                std::fprintf(stderr, "q5m8-emu: --baud %s: a rate of 50..4000000 bits per second\n", text);
                return 2;
            }
            baud = static_cast<int>(b);
        } else if (a == "--log")
            logPath = QString::fromLocal8Bit(value("--log"));
        else if (a == "--fault") {
            std::uint8_t cmd = 0;
            emu::Fault f;
            std::string error;
            const char *faultText = value("--fault");
            if (!emu::ParseFault(faultText, cmd, f, error)) {
                std::fprintf(stderr, "q5m8-emu: --fault %s: %s\n", faultText, error.c_str());
                return 2;
            }
            faults.emplace_back(cmd, f);
        } else {
            std::fprintf(stderr, "q5m8-emu: unknown argument %s\n", a.c_str());
            return Usage(stderr, 2);
        }
    }

    emu::InstrumentData data;
    try {
        data = fixture.isEmpty() ? emu::DefaultData() : emu::LoadFixture(fixture);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "q5m8-emu: %s\n", e.what());
        return 1;
    }

    emu::Options options;
    options.linkPath = link;
    options.record = false;
    options.reopenAfterHangUp = true;
    options.paced = paced;
    options.baud = baud;
    std::FILE *log = nullptr;
    if (!logPath.isEmpty()) {
        log = logPath == QStringLiteral("-") ? stdout : std::fopen(logPath.toLocal8Bit().constData(), "a");
        if (!log) {
            std::fprintf(stderr, "q5m8-emu: cannot open log %s: %s\n", logPath.toLocal8Bit().constData(),
                         std::strerror(errno));
            return 1;
        }
        options.log = log;
    }

    // The serving thread inherits the blocked signals; the main thread waits
    // for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    emu::Instrument instrument(data, options);
    for (const auto &[cmd, f] : faults)
        instrument.InjectFault(cmd, f);
    std::string error;
    if (!instrument.Start(&error)) {
        std::fprintf(stderr, "q5m8-emu: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", instrument.SlavePath().toLocal8Bit().constData());
    if (!link.isEmpty())
        std::fprintf(stderr, "q5m8-emu: %s -> %s; Ctrl+C stops\n", link.toLocal8Bit().constData(),
                     instrument.SlavePath().toLocal8Bit().constData());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    instrument.Stop();
    if (log && log != stdout)
        std::fclose(log);
    return 0;
}

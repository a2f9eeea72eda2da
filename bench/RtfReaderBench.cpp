// The RTF reader's cost against the size of its input. Each case runs in a child process of
// its own, so the peak resident memory it reports belongs to that case alone (input, reader
// and result). Without arguments every case runs and a table compares the figures with the
// targets; "rtf-reader-bench KIND MEGABYTES" runs one case and prints its figures.
#include "core/richtext/RtfReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kb;

namespace {

constexpr double kTargetSeconds = 1.5;
constexpr double kTargetMegabytes = 200;
constexpr double kGrowthTolerance = 1.2;
constexpr int kRepeats = 5;

// Text of ordinary paragraphs, as release notes hold it.
std::string PlainText(std::size_t size) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs22 ";
    rtf.reserve(size + 1);
    const std::string line = "The configuration tool keeps every character its users type. \\par\n";
    while (rtf.size() + line.size() < size)
        rtf += line;
    rtf += "}";
    return rtf;
}

// A format change before every few characters: fonts and sizes counting up, so nearly every
// run has a format not seen before (the input that made the old style lookup quadratic).
std::string StyleChanges(std::size_t size) {
    constexpr int kFonts = 4096;
    std::string rtf = "{\\rtf1{\\fonttbl";
    rtf.reserve(size + 1);
    for (int f = 0; f < kFonts; ++f)
        rtf += "{\\f" + std::to_string(f) + " Font " + std::to_string(f) + ";}";
    rtf += "}";
    for (unsigned n = 0; rtf.size() < size - 40; ++n)
        rtf += "\\f" + std::to_string(n % kFonts) + "\\fs" + std::to_string(8 + n / kFonts % 400) +
               (n % 2 ? "\\b" : "\\b0") + " a";
    rtf += "}";
    return rtf;
}

// 64 tab stops, then paragraphs of two bytes each (the input that made every paragraph
// carry its own copy of the tab stops).
std::string EmptyParagraphs(std::size_t size) {
    std::string rtf = "{\\rtf1\\pard";
    rtf.reserve(size + 1);
    for (int t = 1; t <= 64; ++t)
        rtf += "\\tx" + std::to_string(t * 144);
    rtf += " ";
    while (rtf.size() + 3 < size)
        rtf += "\\\n";
    rtf += "}";
    return rtf;
}

struct Kind {
    const char* name;
    std::string (*make)(std::size_t);
};

constexpr Kind kKinds[] = {
    {"plain", PlainText},
    {"styles", StyleChanges},
    {"empty-paragraphs", EmptyParagraphs},
};
constexpr int kSizes[] = {1, 4, 20};

std::size_t ResultBytes(const RtfDocument& d) {
    std::size_t bytes = d.text.capacity() + d.runs.capacity() * sizeof(RtfRun) +
                        d.paragraphs.capacity() * sizeof(RtfParagraph) +
                        d.charFormats.capacity() * sizeof(RtfCharFormat) +
                        d.paragraphFormats.capacity() * sizeof(RtfParagraphFormat);
    for (const auto& set : d.tabStopSets)
        bytes += sizeof set + set.capacity() * sizeof(int);
    for (const auto& font : d.fonts)
        bytes += sizeof font + font.name.capacity() + font.family.capacity();
    return bytes;
}

// One case in this process: prints seconds, peak resident MB and the result's own MB.
int RunOne(const char* kindName, int megabytes) {
    for (const Kind& kind : kKinds) {
        if (std::strcmp(kind.name, kindName) != 0)
            continue;
        // Made to its size at once, so the peak holds the input once rather than a string growing.
        const std::string rtf = kind.make(static_cast<std::size_t>(megabytes) << 20);
        // Processor time of this thread: the machine is shared, and waiting for a core is not the reader's
        // cost.
        timespec start{}, end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        const Result<RtfDocument> result = ReadRtf(rtf);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        const double seconds =
            static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
        if (!result) {
            std::fprintf(stderr, "%s: %s\n", kindName, result.error().message.c_str());
            return 1;
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%.4f %.1f %.1f %zu\n", seconds, usage.ru_maxrss / 1024.0,
                    ResultBytes(*result) / 1048576.0, result->paragraphs.size());
        return 0;
    }
    std::fprintf(stderr, "unknown kind %s\n", kindName);
    return 64;
}

struct Figures {
    double seconds = 0;
    double peakMegabytes = 0;
    double resultMegabytes = 0;
    std::size_t paragraphs = 0;
};

bool RunChild(const char* self, const Kind& kind, int megabytes, Figures& figures) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        const std::string size = std::to_string(megabytes);
        execl(self, self, kind.name, size.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[256] = {};
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer - 1);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
           std::sscanf(buffer, "%lf %lf %lf %zu", &figures.seconds, &figures.peakMegabytes,
                       &figures.resultMegabytes, &figures.paragraphs) == 4;
}

int RunAll(const char* self) {
    std::printf("RTF reader: fastest of %d runs, each in its own process; time = processor time of the "
                "read; peak = resident memory of the process (input, reader and result); result = memory the "
                "document holds\n\n",
                kRepeats);
    std::printf("| input | size | time | peak memory | result | time per MB | memory per MB |\n");
    std::printf("| --- | --- | --- | --- | --- | --- | --- |\n");
    bool met = true;
    std::vector<std::string> verdicts;
    for (const Kind& kind : kKinds) {
        double previousTimePerMb = 0;
        double previousMemoryPerMb = 0;
        for (const int megabytes : kSizes) {
            std::vector<Figures> runs(kRepeats);
            for (Figures& run : runs) {
                if (!RunChild(self, kind, megabytes, run)) {
                    std::fprintf(stderr, "%s %d MB failed\n", kind.name, megabytes);
                    return 1;
                }
            }
            std::sort(runs.begin(), runs.end(),
                      [](const Figures& a, const Figures& b) { return a.seconds < b.seconds; });
            // The fastest run: the machine is shared, and other work only ever adds to a run's time.
            const Figures& best = runs.front();
            const double timePerMb = best.seconds / megabytes;
            const double memoryPerMb = best.peakMegabytes / megabytes;
            std::printf("| %s | %d MB | %.3f s | %.1f MB | %.1f MB | %.1f ms | %.2f MB |\n", kind.name,
                        megabytes, best.seconds, best.peakMegabytes, best.resultMegabytes, timePerMb * 1000,
                        memoryPerMb);
            if (megabytes == kSizes[std::size(kSizes) - 1]) {
                const bool ok = best.seconds < kTargetSeconds && best.peakMegabytes < kTargetMegabytes;
                met &= ok;
                char line[200];
                std::snprintf(line, sizeof line, "%s at %d MB: %.3f s (< %.1f s), %.1f MB (< %.0f MB): %s",
                              kind.name, megabytes, best.seconds, kTargetSeconds, best.peakMegabytes,
                              kTargetMegabytes, ok ? "met" : "MISSED");
                verdicts.push_back(line);
            }
            // Growing the input must not make each megabyte dearer, beyond the tolerance.
            if (previousTimePerMb > 0) {
                const bool timeOk = timePerMb <= previousTimePerMb * kGrowthTolerance;
                const bool memoryOk = memoryPerMb <= previousMemoryPerMb * kGrowthTolerance;
                met &= timeOk && memoryOk;
                char line[200];
                std::snprintf(line, sizeof line,
                              "%s up to %d MB: time per MB x%.2f, memory per MB x%.2f (<= x%.1f): %s",
                              kind.name, megabytes, timePerMb / previousTimePerMb,
                              memoryPerMb / previousMemoryPerMb, kGrowthTolerance,
                              timeOk && memoryOk ? "met" : "MISSED");
                verdicts.push_back(line);
            }
            previousTimePerMb = timePerMb;
            previousMemoryPerMb = memoryPerMb;
        }
    }
    std::printf("\n");
    for (const std::string& verdict : verdicts)
        std::printf("%s\n", verdict.c_str());
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3)
        return RunOne(argv[1], std::atoi(argv[2]));
    if (argc != 1) {
        std::fprintf(stderr, "usage: %s [KIND MEGABYTES]\n", argv[0]);
        return 64;
    }
    return RunAll("/proc/self/exe");
}

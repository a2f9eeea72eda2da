// Reading and saving customer files of 1, 16 and 60 MB: a save parses the file once and writes
// it once, so both cost time and memory in proportion to the file. The file holds the nine keys
// and, below them in section Data, lines of other keys up to the size: lines of notes of about
// 48 bytes, or the shortest lines a key can have (a hexadecimal number and "="), the most keys a
// file of that size can hold. Each operation runs in a
// process of its own (this program again), so that its peak resident memory is its own; an idle
// process gives the floor that is subtracted. Median of five runs.
#include "core/customer/CustomerRecord.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1024 * 1024;
constexpr int kRuns = 5;

CustomerRecord Record(char fill) {
    CustomerRecord record;
    record[CustomerRecord::Company1] = std::string(40, fill);
    record[CustomerRecord::Name1] = "Ann Smith";
    record[CustomerRecord::City] = "Bern";
    record[CustomerRecord::Code] = "VK72-1111x-110Ax-00000-00000-D3x";
    return record;
}

void Generate(const std::string& path, std::size_t size, bool shortLines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[Data]\nCompany1=Acme\nCompany2=\nName1=Ann\nName2=\nStreet=\nCity=Bern\nIdent1=\nIdent2=\n"
           "Code=VK72-1111x-110Ax-00000-00000-D3x\n";
    std::size_t written = 120;
    char line[96];
    for (std::size_t n = 0; written < size; ++n) {
        const int length =
            std::snprintf(line, sizeof line, "Note%08zu=a line of the order's own notes, kept\n", n);
        out.write(line, length);
        written += static_cast<std::size_t>(length);
    }
}

struct Measured {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
};

// Runs this program with the arguments; its wall time and peak resident memory.
Measured RunSelf(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"/proc/self/exe"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv("/proc/self/exe", argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Measured measured;
    measured.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measured.peakKiB = usage.ru_maxrss;
    measured.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the measured run failed\n");
        std::exit(1);
    }
    return measured;
}

Measured Median(const std::vector<std::string>& args) {
    std::vector<Measured> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(RunSelf(args));
    std::sort(runs.begin(), runs.end(),
              [](const Measured& a, const Measured& b) { return a.seconds < b.seconds; });
    Measured median = runs[kRuns / 2];
    median.peakKiB = std::max_element(runs.begin(), runs.end(), [](const Measured& a, const Measured& b) {
                         return a.peakKiB < b.peakKiB;
                     })->peakKiB;
    return median;
}

// One operation in this process.
int Operate(const std::string& what, const std::string& path) {
    if (what == "--idle")
        return 0;
    if (what == "--read")
        return ReadCustomerFile(path) ? 0 : 1;
    static int round = 0;
    const Result<void> written = WriteCustomerFile(path, Record(static_cast<char>('a' + round++ % 26)));
    if (!written)
        std::fprintf(stderr, "%s\n", written.error().message.c_str());
    return written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3)
        return Operate(argv[1], argv[2]);

    const fs::path folder = fs::temp_directory_path() / ("customer-file-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const Measured idle = Median({"--idle", "-"});
    std::printf("idle process: %.1f ms (%.1f ms CPU), %.1f MB peak (subtracted below)\n\n",
                idle.seconds * 1e3, idle.cpuSeconds * 1e3, idle.peakKiB / 1024.0);
    std::printf("%6s %8s  %10s  %10s  %10s  %8s  %10s  %10s  %10s  %8s\n", "lines", "file", "read",
                "read CPU", "read mem", "x size", "save", "save CPU", "save mem", "x size");
    for (const bool shortLines : {false, true}) {
        for (const std::size_t mib : {1, 16, 60}) {
            const std::string path = (folder / ("order-" + std::to_string(mib) + ".CST")).string();
            Generate(path, mib * kMiB, shortLines);
            const double size = static_cast<double>(fs::file_size(path)) / kMiB;
            const Measured read = Median({"--read", path});
            const Measured save = Median({"--save", path});
            const auto extra = [&](const Measured& m) { return (m.peakKiB - idle.peakKiB) / 1024.0; };
            std::printf(
                "%6s %5zu MB  %7.1f ms  %7.1f ms  %7.1f MB  %8.2f  %7.1f ms  %7.1f ms  %7.1f MB  %8.2f\n",
                shortLines ? "short" : "notes", mib, (read.seconds - idle.seconds) * 1e3,
                (read.cpuSeconds - idle.cpuSeconds) * 1e3, extra(read), extra(read) / size,
                (save.seconds - idle.seconds) * 1e3, (save.cpuSeconds - idle.cpuSeconds) * 1e3, extra(save),
                extra(save) / size);
        }
    }
    fs::remove_all(folder);
    return 0;
}

// Reading profile files of 1, 4 and 16 MB: an ordinary catalogue-like file against one
// whose keys were chosen to collide, printed with their ratio and scaling and checked
// against the targets. The files are generated into a scratch folder at start.
//
// The colliding keys share a 240-character prefix and were picked so that the unkeyed
// hash the reader used before (FNV-1a, folded, masked to a table of four slots a key)
// puts them all into one probe chain; the line "former probes/key" shows how long that
// chain would be for the reader of before, which compared whole names along it.
#include "core/platform/TIniFile.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1024 * 1024;
constexpr int kRuns = 7;
constexpr std::size_t kPrefixLength = 240;

struct HostileFile {
    std::string text;
    double formerProbesPerKey = 0;
    std::string lastKey;
};

std::uint64_t FnvStep(std::uint64_t h, char c) {
    const auto u = static_cast<unsigned char>(c);
    h ^= (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
    return h * 1099511628211ull;
}

std::uint64_t FormerFinish(std::uint64_t h) {
    return h ^ (h >> 29);
}

// Linear probing as the former index did it, growing to bit_ceil(4 n) slots whenever it
// was half full; returns the probes per inserted key.
double FormerProbesPerKey(const std::vector<std::uint64_t>& hashes) {
    std::vector<std::uint64_t> slots;
    std::vector<bool> used;
    std::uint64_t probes = 0;
    const auto insert = [&](std::uint64_t h) {
        const std::size_t mask = slots.size() - 1;
        std::size_t i = h & mask;
        while (used[i]) {
            i = (i + 1) & mask;
            ++probes;
        }
        used[i] = true;
        slots[i] = h;
    };
    for (std::size_t count = 1; count <= hashes.size(); ++count) {
        if (count <= 8)
            continue;
        if (count * 2 > slots.size()) {
            slots.assign(std::bit_ceil(count * 4), 0);
            used.assign(slots.size(), false);
            for (std::size_t i = 0; i < count; ++i)
                insert(hashes[i]);
        } else {
            insert(hashes[count - 1]);
        }
    }
    return static_cast<double>(probes) / static_cast<double>(hashes.size());
}

// One section of keys with a long common prefix, each kept only when the former hash put
// it into the lowest sixteenth of the final table: with four slots a key that is a
// quarter of the keys' own number of slots, so they form one run of occupied slots.
HostileFile Colliding(std::size_t bytes) {
    const std::string prefix(kPrefixLength, 'k');
    const std::size_t lineLength = kPrefixLength + 8 + 3;
    const std::size_t keys = bytes / lineLength;
    const std::size_t slots = std::bit_ceil(keys * 4);
    std::uint64_t prefixState = 14695981039346656037ull;
    for (const char c : prefix)
        prefixState = FnvStep(prefixState, c);

    HostileFile file;
    file.text.reserve(bytes + lineLength);
    file.text = "[Data]\n";
    std::vector<std::uint64_t> hashes;
    char suffix[16];
    for (std::uint32_t candidate = 0; hashes.size() < keys; ++candidate) {
        std::snprintf(suffix, sizeof suffix, "%08x", candidate);
        std::uint64_t h = prefixState;
        for (const char* c = suffix; *c; ++c)
            h = FnvStep(h, *c);
        h = FormerFinish(h);
        if ((h & (slots - 1)) >= slots / 16)
            continue;
        hashes.push_back(h);
        file.lastKey = prefix + suffix;
        file.text += file.lastKey + "=1\n";
    }
    file.formerProbesPerKey = FormerProbesPerKey(hashes);
    return file;
}

// A catalogue as maintainers write them: sections of forty items and comments.
std::string Ordinary(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 4096);
    text = "[General]\nVersion=2.0\n";
    for (int section = 0; text.size() < bytes; ++section) {
        text += "\n; Accessories of series " + std::to_string(section) + ", kept for the service desk\n";
        text += "[Accessories" + std::to_string(section) + "]\n";
        for (int key = 0; key < 40; ++key)
            text += "Item" + std::to_string(key) + " = \"Spare part " + std::to_string(section * 100 + key) +
                    ", packed in tens\"\n";
    }
    return text;
}

std::string Write(const fs::path& folder, const std::string& name, const std::string& text) {
    const fs::path path = folder / name;
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

// Median seconds of making the object and looking up a few keys, one of them the last.
double MedianSeconds(const std::string& path, const std::string& section, const std::string& lastKey) {
    std::vector<double> seconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const TIniFile ini(path);
        const bool found = !ini.ReadString(section, lastKey, "").empty();
        const bool missing = ini.ReadString(section, "NoSuchKey", "").empty();
        const auto end = std::chrono::steady_clock::now();
        if (!ini.Readable() || !found || !missing)
            throw std::runtime_error("the generated file does not read as written: " + path);
        seconds.push_back(std::chrono::duration<double>(end - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

} // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "kitbuilder-profile-bench.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "cannot create a scratch folder\n");
        return 1;
    }
    const fs::path folder = pattern;
    bool allMet = true;
    try {
        std::printf("Profile-file reading, median of %d runs (TIniFile made, two lookups)\n\n", kRuns);
        std::printf("%6s  %13s  %13s  %7s  %18s\n", "size", "ordinary", "colliding", "ratio",
                    "former probes/key");
        double previousOrdinary = 0;
        double previousColliding = 0;
        for (const std::size_t megabytes : {1, 4, 16}) {
            const std::string ordinary = Write(folder, "ordinary.ini", Ordinary(megabytes * kMiB));
            const HostileFile hostile = Colliding(megabytes * kMiB);
            const std::string colliding = Write(folder, "colliding.ini", hostile.text);
            const double a = MedianSeconds(ordinary, "General", "Version");
            const double b = MedianSeconds(colliding, "Data", hostile.lastKey);
            const bool met = b <= 2 * a && std::max(a, b) < 0.5;
            allMet = allMet && met;
            std::printf("%3zu MB  %10.1f ms  %10.1f ms  %6.2fx  %18.0f  %s\n", megabytes, a * 1e3, b * 1e3,
                        b / a, hostile.formerProbesPerKey, met ? "met" : "MISSED");
            if (previousOrdinary > 0)
                std::printf("        x%-12.2f  x%-12.2f (size x4)\n", a / previousOrdinary,
                            b / previousColliding);
            previousOrdinary = a;
            previousColliding = b;
            fs::remove(ordinary);
            fs::remove(colliding);
        }
        std::printf(
            "\nTargets: colliding at most 2x ordinary at every size; 16 MB of either under 500 ms: %s\n",
            allMet ? "met" : "MISSED");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        allMet = false;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return allMet ? 0 : 1;
}

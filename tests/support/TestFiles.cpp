#include "TestFiles.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("kitbuilder-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::write(const std::string& name, const std::string& text) const {
    const auto full = m_path / name;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out << text;
    return full.string();
}

void TempDir::Overwrite(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    out << bytes;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value)
    : m_name(name), m_had(std::getenv(name) != nullptr), m_before(m_had ? std::getenv(name) : "") {
    ::setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (m_had)
        ::setenv(m_name, m_before.c_str(), 1);
    else
        ::unsetenv(m_name);
}

void AgeFile(const std::string& path, int seconds) {
    const timespec times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::string InChildProcess(const std::function<std::string()>& run, bool asUnprivileged) {
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        ::close(channel[0]);
        std::string result;
        if (asUnprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            result = "cannot drop privileges";
        else
            result = run();
        [[maybe_unused]] const auto written = ::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child process failed";
    return result;
}

#include "core/platform/Paths.h"

#include "core/platform/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kb {

namespace fs = std::filesystem;

namespace paths {

std::string ExecutablePath() {
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    const auto slash = path.find_last_of("/\\");
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && dot > nameStart)
        return path.substr(0, dot) + extension;
    return path + extension;
}

std::string ResolveCaseInsensitive(const std::string& path) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)))
        return path;
    const fs::path p(path);
    const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    const std::string wanted = p.filename().string();
    std::string best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // The directory order is arbitrary: take the smallest match so the choice is stable.
        if (text::EqualNoCase(name, wanted) && (best.empty() || name < best))
            best = name;
    }
    if (best.empty())
        return path;
    return p.has_parent_path() ? (p.parent_path() / best).string() : best;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::status(path, ec));
}

std::string BesideExecutable(const std::string& extension) {
    return ResolveCaseInsensitive(ReplaceExtension(ExecutablePath(), extension));
}

std::string FileName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StateFolder(const char* xdgStateHome, const char* home) {
    std::string base;
    if (xdgStateHome != nullptr && xdgStateHome[0] == '/')
        base = xdgStateHome;
    else if (home != nullptr && home[0] == '/')
        base = std::string(home) + (std::string(home).ends_with('/') ? "" : "/") + ".local/state";
    else
        return {};
    if (!base.ends_with('/'))
        base += '/';
    return base + "vk72-configurator";
}

std::string StateFolder() {
    return StateFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

} // namespace paths

} // namespace kb

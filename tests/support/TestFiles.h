#pragma once

#include <filesystem>
#include <functional>
#include <string>

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Writes the text (bytes as given) to name inside the folder, making the folders the name
    // leads through, and returns the full path.
    std::string write(const std::string& name, const std::string& text) const;
    std::string file(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::string& path);

// Runs the function in a child process, so that what it changes of the process (limits,
// user, mounts) stays there, and returns the text it returned, or why the child failed.
// asUnprivileged: when running as root, the child first becomes the user "nobody".
std::string InChildProcess(const std::function<std::string()>& run, bool asUnprivileged = false);

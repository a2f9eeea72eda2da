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
    // Replaces the bytes of an existing file in place, keeping its identity.
    static void Overwrite(const std::string& path, const std::string& bytes);

  private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::string& path);

// Sets an environment variable for the object's life, then puts back what was there.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* m_name;
    bool m_had;
    std::string m_before;
};

// Sets the file's modification time the given seconds into the past.
void AgeFile(const std::string& path, int seconds);

// Runs the function in a child process, so that what it changes of the process (limits,
// user, mounts) stays there, and returns the text it returned, or why the child failed.
// asUnprivileged: when running as root, the child first becomes the user "nobody".
std::string InChildProcess(const std::function<std::string()>& run, bool asUnprivileged = false);

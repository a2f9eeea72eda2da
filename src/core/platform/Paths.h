#pragma once

#include <string>

namespace kb {

namespace paths {

// Full path of the running executable ("/proc/self/exe"), or empty when unknown.
std::string ExecutablePath();

// The path with the extension of its file name replaced; a name without extension
// gets it appended ("kitbuilder" -> "kitbuilder.INI").
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The file as named when it exists; otherwise a file in the same folder whose name
// matches without regard to case (KITBUILDER.INI beside kitbuilder); otherwise the
// path unchanged.
std::string ResolveCaseInsensitive(const std::string& path);

// True for anything that exists at the path (a folder too: reading it then fails
// with a message rather than passing for "missing").
bool Exists(const std::string& path);

// The data file beside the program: its own path with the extension replaced, found
// without regard to case.
std::string BesideExecutable(const std::string& extension);

// This program's folder of state kept between runs (journals of saves, drafts):
// $XDG_STATE_HOME/vk72-configurator, or HOME/.local/state/vk72-configurator when that variable
// is unset, empty or not absolute; empty when neither gives an absolute folder.
std::string StateFolder(const char* xdgStateHome, const char* home);
// The same from this process's environment.
std::string StateFolder();

// The file name after the last "/" or "\".
std::string FileName(const std::string& path);

} // namespace paths

} // namespace kb

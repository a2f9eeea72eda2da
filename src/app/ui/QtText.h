#pragma once

#include <QString>
#include <string>

// The only place where text crosses between the core and Qt.
//
// The core's texts (catalogue entries, customer fields, messages) are 8-bit text as the
// files hold it, one byte per character: they are read and written as Latin-1, so every
// byte maps to one character and back unchanged. A character outside Latin-1 typed into
// a widget becomes "?" on its way into the core.
//
// File paths are different: they name files on disk, so they use the file system's own
// encoding (QFile::encodeName / decodeName).
QString ToQ(const std::string& text);
std::string FromQ(const QString& text);

QString PathToQ(const std::string& path);
std::string PathFromQ(const QString& path);

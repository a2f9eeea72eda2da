#pragma once

#include <QString>
#include <string>

// The only place where text crosses between the core and Qt.
//
// The core's texts (catalogue entries, customer fields, messages) are UTF-8 (the files'
// own encodings are dealt with where they are read and written, see TextCodec.h), so
// every character a user types reaches the core and comes back unchanged.
//
// File paths are different: they name files on disk, so they use the file system's own
// encoding (QFile::encodeName / decodeName).
QString ToQ(const std::string& text);
std::string FromQ(const QString& text);

QString PathToQ(const std::string& path);
std::string PathFromQ(const QString& path);

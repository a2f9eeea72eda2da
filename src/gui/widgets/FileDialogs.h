#pragma once

#include <QString>
#include <optional>

class QWidget;

// The open and save dialogs of the program. A test sets the next answer beforehand
// (an empty name stands for Cancel) and no dialog is shown.
class FileDialogs {
  public:
    struct Request {
        QString title;
        QString filter;        // "Description (*.EXT)"
        QString defaultSuffix; // appended to a name typed without extension
        QString proposedName;
        QString directory;            // where the dialog starts when no name is proposed
        bool confirmOverwrite = true; // save dialog only
    };

    // The chosen path, or an empty text when the user cancelled.
    static QString GetOpenFileName(QWidget* parent, const Request& request);
    static QString GetSaveFileName(QWidget* parent, const Request& request);

    static void setNextFileName(const QString& name) { s_nextFileName = name; }
    // The request of the last dialog asked for, answered or not.
    static const Request& lastRequest() { return s_lastRequest; }

  private:
    static QString Run(QWidget* parent, const Request& request, bool save);

    static std::optional<QString> s_nextFileName;
    static Request s_lastRequest;
};

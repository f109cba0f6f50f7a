// The one-shot check the main window starts at each login: it asks the record
// server ("/jyx_command") for the upload/download base address and whether a
// newer program version is offered. Accepting the offer starts the updater
// and closes the main window.
#pragma once

#include "app/AppContext.h"
#include "net/ServerConventions.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class CHttpClient;

struct CommandAnswer {
    std::string ip;        // upload/download base address; empty when absent
    std::string updateUrl; // non-empty: a newer version is offered
};

// The request's fields in their order: the identification fields, "token"
// (plain) and "version".
void AddCommandCheckFields(CHttpClient& client, const SessionValues& session);
// nullopt for an empty answer or one that is not a JSON object.
std::optional<CommandAnswer> ParseCommandAnswer(const std::string& answer);
// The part of the URL after its last "/".
std::string UpdateFileName(const std::string& url);
// The updater "UpdateJyx": in the program directory, else on the search
// path; empty when it is nowhere.
QString FindUpdater(const QString& programDir);
// The updater's parameter: the temporary directory, "/", the file name.
QString UpdaterArgument(const QString& tempDir, const std::string& fileName);

inline constexpr const char* kUpdateQuestion = "检测到新版本，是否升级版本?";
inline constexpr const char* kUpdateCaption = "提示";
inline constexpr const char* kUpdaterName = "UpdateJyx";

// Receives the check's outcome on the GUI thread. It lives as a child of the
// main window, so nothing arrives once the window is gone.
class CServerCommandCheck : public QObject {
    Q_OBJECT
public:
    CServerCommandCheck(QObject* owner, std::function<void()> closeMainWindow);

    // Starts the request on a worker thread and returns at once.
    void start(const ServerSettings& server, const SessionValues& session);

signals:
    // After the answer has been handled (the update question included);
    // `answered` is false when the server gave no usable answer.
    void finished(bool answered);

private:
    void handle(const std::optional<CommandAnswer>& answer);
    void offerUpdate(const std::string& updateUrl);

    std::function<void()> m_closeMainWindow;
};

// What the main window calls when it opens: reads the server setting from the
// program directory and the session values, and starts the check.
CServerCommandCheck* StartServerCommandCheck(QObject* owner, std::function<void()> closeMainWindow);

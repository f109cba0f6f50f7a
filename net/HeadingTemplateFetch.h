// Asks the record server ("/pcgetjyxtype") for the heading template of a
// transcript kind. The editor starts it when no heading template is loaded
// and stores what comes back.
#pragma once

#include "app/AppContext.h"
#include "net/ServerConventions.h"

#include <functional>
#include <optional>
#include <string>

class CHttpClient;
class QObject;

// The request's fields in their order: the identification fields, "jyxtype",
// "jyxname", "token" (plain) and "version".
void AddHeadingTemplateFields(CHttpClient& client, const SessionValues& session,
                              const std::string& type, const std::string& kind);
// "data" (possibly empty) when the answer is a JSON object whose "msg" is
// "ok"; nullopt for anything else.
std::optional<std::string> ParseHeadingTemplateAnswer(const std::string& answer);

// The request itself, blocking the calling thread: "data" of an "ok" answer,
// nullopt when the server is unreachable, times out or answers anything else.
std::optional<std::string> RequestHeadingTemplate(const ServerSettings& server,
                                                  const SessionValues& session,
                                                  const std::string& type, const std::string& kind);

// Called on the editor's thread with "data" of an "ok" answer. The editor
// makes a non-empty text its heading template and then stores it for the
// current type and its kind name as they are at that moment.
using HeadingTemplateReceiver = std::function<void(const std::string& headingTemplate)>;

// Starts the request for (type, kind) on a worker thread. `onTemplate` runs on
// the editor's thread when the server answered "ok", and never after the
// editor was destroyed. Failures end silently.
void FetchHeadingTemplate(QObject* editor, const std::string& type, const std::string& kind,
                          HeadingTemplateReceiver onTemplate);
// The same against a given server and session (tests).
void FetchHeadingTemplate(QObject* editor, const ServerSettings& server,
                          const SessionValues& session, const std::string& type,
                          const std::string& kind, HeadingTemplateReceiver onTemplate);

#include "net/HeadingTemplateFetch.h"

#include "net/HttpClient.h"
#include "net/Worker.h"

#include <json/json.h>

#include <memory>

void AddHeadingTemplateFields(CHttpClient& client, const SessionValues& session,
                              const std::string& type, const std::string& kind) {
    AddIdentificationFields(client, session);
    client.AddParam("jyxtype", type);
    client.AddParam("jyxname", kind);
    AddTokenAndVersion(client, session);
}

std::optional<std::string> ParseHeadingTemplateAnswer(const std::string& answer) {
    if (answer.empty())
        return std::nullopt;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(answer.data(), answer.data() + answer.size(), &root, &errors) ||
        !root.isObject())
        return std::nullopt;
    const Json::Value& msg = root["msg"];
    if (!msg.isString() || msg.asString() != "ok")
        return std::nullopt;
    const Json::Value& data = root["data"];
    return data.isString() ? data.asString() : std::string();
}

std::optional<std::string> RequestHeadingTemplate(const ServerSettings& server,
                                                  const SessionValues& session,
                                                  const std::string& type,
                                                  const std::string& kind) {
    CHttpClient client;
    AddHeadingTemplateFields(client, session, type, kind);
    return ParseHeadingTemplateAnswer(PostForm(client, server, "/pcgetjyxtype"));
}

void FetchHeadingTemplate(QObject* editor, const std::string& type, const std::string& kind,
                          HeadingTemplateReceiver onTemplate) {
    FetchHeadingTemplate(editor, ReadServerSettings(ProgramDir()), Session(), type, kind,
                         std::move(onTemplate));
}

void FetchHeadingTemplate(QObject* editor, const ServerSettings& server,
                          const SessionValues& session, const std::string& type,
                          const std::string& kind, HeadingTemplateReceiver onTemplate) {
    auto work = [server, session, type, kind]() {
        return RequestHeadingTemplate(server, session, type, kind);
    };
    RunWorker<std::optional<std::string>>(editor, std::move(work),
                                          [onTemplate](std::optional<std::string>& text) {
                                              if (text && onTemplate)
                                                  onTemplate(*text);
                                          });
}

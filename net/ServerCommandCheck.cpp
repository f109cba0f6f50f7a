#include "net/ServerCommandCheck.h"

#include "app/Prompt.h"
#include "net/HttpClient.h"
#include "net/Worker.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <json/json.h>

#include <memory>

namespace {

// The body of a JSON object, or nullopt when the text is not one.
std::optional<Json::Value> ParseObject(const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isObject())
        return std::nullopt;
    return root;
}

std::string TextMember(const Json::Value& root, const char* name) {
    const Json::Value& v = root[name];
    return v.isString() ? v.asString() : std::string();
}

} // namespace

void AddCommandCheckFields(CHttpClient& client, const SessionValues& session) {
    AddIdentificationFields(client, session);
    AddTokenAndVersion(client, session);
}

std::optional<CommandAnswer> ParseCommandAnswer(const std::string& answer) {
    if (answer.empty())
        return std::nullopt;
    const auto root = ParseObject(answer);
    if (!root)
        return std::nullopt;
    // "msg", "welcome", "modal", "jyxformat" and "bookmodal" carry nothing
    // this program acts on.
    return CommandAnswer{TextMember(*root, "ip"), TextMember(*root, "updateurl")};
}

std::string UpdateFileName(const std::string& url) {
    const auto slash = url.rfind('/');
    return slash == std::string::npos ? url : url.substr(slash + 1);
}

QString FindUpdater(const QString& programDir) {
    const QFileInfo local(QDir(programDir).filePath(kUpdaterName));
    if (local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(kUpdaterName);
}

QString UpdaterArgument(const QString& tempDir, const std::string& fileName) {
    return tempDir + "/" + QString::fromStdString(fileName);
}

CServerCommandCheck::CServerCommandCheck(QObject* owner, std::function<void()> closeMainWindow)
    : QObject(owner), m_closeMainWindow(std::move(closeMainWindow)) {}

void CServerCommandCheck::start(const ServerSettings& server, const SessionValues& session) {
    auto work = [server, session]() -> std::optional<CommandAnswer> {
        CHttpClient client;
        AddCommandCheckFields(client, session);
        const std::string text = PostForm(client, server, "/jyx_command");
        if (text.empty())
            return std::nullopt;
        SetCommandCheckAnswer(text);
        auto answer = ParseCommandAnswer(text);
        if (answer)
            SetUploadBaseAddress(answer->ip);
        return answer;
    };
    RunWorker<std::optional<CommandAnswer>>(
        this, std::move(work), [this](std::optional<CommandAnswer>& answer) { handle(answer); });
}

void CServerCommandCheck::handle(const std::optional<CommandAnswer>& answer) {
    if (answer && !answer->updateUrl.empty())
        offerUpdate(answer->updateUrl);
    emit finished(answer.has_value());
    deleteLater();
}

void CServerCommandCheck::offerUpdate(const std::string& updateUrl) {
    const std::string fileName = UpdateFileName(updateUrl);
    const auto reply =
        Messages().ask(nullptr, QString::fromUtf8(kUpdateQuestion), Prompt::Buttons::YesNo,
                       Prompt::Icon::Question, QString::fromUtf8(kUpdateCaption));
    if (reply != Prompt::Answer::Yes)
        return;
    // A missing updater fails silently; the program closes all the same.
    const QString updater = FindUpdater(QString::fromStdString(ProgramDir()));
    if (!updater.isEmpty())
        QProcess::startDetached(updater, {UpdaterArgument(QDir::tempPath(), fileName)});
    if (m_closeMainWindow)
        m_closeMainWindow();
}

CServerCommandCheck* StartServerCommandCheck(QObject* owner,
                                             std::function<void()> closeMainWindow) {
    auto* check = new CServerCommandCheck(owner, std::move(closeMainWindow));
    check->start(ReadServerSettings(ProgramDir()), Session());
    return check;
}

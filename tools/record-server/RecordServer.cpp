#include "RecordServer.h"

#include "FilePort.h"
#include "RecordStore.h"
#include "ServerTokens.h"

#include <httplib.h>
#include <json/json.h>

#include <ifaddrs.h>
#include <netinet/in.h>

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Members of every record handed out by "downloadJyx", in this order.
const char* const kRecordMembers[] = {
    "jyxid",        "unitname",     "answername",  "answersfz",  "jyxformat",  "starttime",
    "endtime",      "strContent",   "strcase",     "persontype", "birthday",   "sex",
    "age",          "questionname", "questionsfz", "recordname", "recordsfz",  "telphone",
    "times",        "station",      "education",   "zzmm",       "workunit",   "job",
    "birthaddress", "nowaddress",   "questionjob", "prename",    "chuhao",     "people",
    "askname2",     "asksfz2",      "jfperson",    "jfaddress",  "jyxaddress", "country",
    "sedate",       "zuiming"};

std::string JsonText(const Json::Value& v) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, v) + "\n";
}

std::optional<Json::Value> ParseJson(const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value v;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &v, &errors))
        return std::nullopt;
    return v;
}

std::string FirstPublicIPv4() {
    ifaddrs* list = nullptr;
    std::string found = "127.0.0.1";
    if (::getifaddrs(&list) != 0)
        return found;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text,
                    sizeof text);
        if (std::string(text).rfind("127.", 0) != 0) {
            found = text;
            break;
        }
    }
    ::freeifaddrs(list);
    return found;
}

std::string RegexEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/' && c != '_' && c != '-')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The regular files of a folder, sorted by name.
std::vector<std::string> FileNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.is_regular_file(ec))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Now(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

using Fields = std::map<std::string, std::string>;

std::string Get(const Fields& f, const char* name) {
    auto it = f.find(name);
    return it == f.end() ? std::string() : it->second;
}

} // namespace

std::map<std::string, std::string> ParseFormBody(std::string body) {
    if (!body.empty() && body.back() == '\0')
        body.pop_back();
    std::map<std::string, std::string> fields;
    std::size_t pos = 0;
    while (pos < body.size()) {
        std::size_t end = body.find('&', pos);
        if (end == std::string::npos)
            end = body.size();
        const std::string pair = body.substr(pos, end - pos);
        const auto eq = pair.find('=');
        if (!pair.empty())
            fields[pair.substr(0, eq)] = eq == std::string::npos ? "" : pair.substr(eq + 1);
        pos = end + 1;
    }
    return fields;
}

struct RecordServer::Impl {
    RecordServerOptions o;
    httplib::Server http;
    std::unique_ptr<FilePortServer> files;
    RecordStore store;
    std::thread listenThread;
    int port = 0;
    std::string base;
    std::string uploadPath;
    std::mutex logMutex;
    std::mutex observerMutex;
    std::function<void(const ObservedRequest&)> observer;

    fs::path dir(const char* name) const { return fs::path(o.dataDir) / name; }
    std::time_t now() const { return o.now(); }

    void log(const std::string& line) {
        std::lock_guard lock(logMutex);
        o.log(Now(now()) + " " + line);
    }

    static void reply(httplib::Response& res, const Json::Value& v, int status = 200) {
        res.status = status;
        res.set_content(JsonText(v), "application/json; charset=utf-8");
    }

    static void refuse(httplib::Response& res) {
        Json::Value v;
        v["code"] = "1";
        v["msg"] = "token error";
        reply(res, v, 403);
    }

    // A timed token: checked against "timeid" when the request carries one,
    // else against every second of the window.
    bool timedTokenValid(const Fields& f) const {
        const std::string account = Get(f, "usersfz");
        const std::string token = Get(f, "token");
        if (f.count("timeid"))
            return TimedTokenValid(account, token, Get(f, "timeid"), now(), o.tokenWindowSeconds);
        return TimedTokenValidAnyTime(account, token, now(), o.tokenWindowSeconds);
    }

    Json::Value namesOf(const char* type, const std::vector<std::string>& names) const {
        Json::Value group;
        group["type"] = type;
        group["data"] = Json::arrayValue;
        for (const auto& n : names) {
            Json::Value item;
            item["name"] = n;
            group["data"].append(item);
        }
        Json::Value list = Json::arrayValue;
        list.append(group);
        return list;
    }

    void command(const Fields& f, httplib::Response& res) {
        if (!PlainTokenValid(Get(f, "usersfz"), Get(f, "token")))
            return refuse(res);
        Json::Value v;
        v["code"] = "0";
        v["msg"] = "ok";
        v["welcome"] = "欢迎使用笔录服务器";
        v["ip"] = base;
        v["updateurl"] = o.updateUrl;
        std::vector<std::string> kinds;
        for (const auto& [key, text] : o.headingTemplates)
            kinds.push_back(key.first + "/" + key.second);
        v["jyxformat"] = namesOf("笔录格式", kinds);
        v["modal"] = namesOf("共享模板", FileNames(dir("templates")));
        v["bookmodal"] = namesOf("告知书", FileNames(dir("letters")));
        reply(res, v);
    }

    void headingTemplate(const Fields& f, httplib::Response& res) {
        if (!PlainTokenValid(Get(f, "usersfz"), Get(f, "token")))
            return refuse(res);
        const std::string type = Get(f, "jyxtype");
        const std::string kind = Get(f, "jyxname");
        Json::Value v;
        for (const auto& key : {std::pair{type, kind}, std::pair{type, std::string("*")},
                                std::pair{std::string("*"), std::string("*")}}) {
            auto it = o.headingTemplates.find(key);
            if (it != o.headingTemplates.end()) {
                v["code"] = "0";
                v["msg"] = "ok";
                v["data"] = it->second;
                return reply(res, v);
            }
        }
        v["code"] = "1";
        v["msg"] = "no template";
        v["data"] = "";
        reply(res, v);
    }

    void letterAddress(const Fields& f, httplib::Response& res) {
        if (!PlainTokenValid(Get(f, "usersfz"), Get(f, "token"))) {
            res.status = 403; // an empty answer: no page to show
            return;
        }
        res.set_content(publicUrl("/gaobook"), "text/plain; charset=utf-8");
    }

    void letterText(const Fields& f, httplib::Response& res) {
        if (!PlainTokenValid(Get(f, "usersfz"), Get(f, "token")))
            return refuse(res);
        const std::string url = Get(f, "strUrl");
        const auto at = url.rfind("/gaobook/");
        const auto path =
            at == std::string::npos
                ? std::nullopt
                : ResolveStoragePath(dir("letters"),
                                     httplib::detail::decode_url(url.substr(at + 9), false));
        Json::Value v;
        std::error_code ec;
        if (!path || !fs::is_regular_file(*path, ec)) {
            v["code"] = "1";
            v["msg"] = "no letter";
            return reply(res, v);
        }
        v["code"] = "0";
        v["msg"] = "ok";
        v["data"] = ReadFile(*path);
        reply(res, v);
    }

    std::string publicUrl(const std::string& path) const {
        return "http://" + publicHost() + ":" + std::to_string(port) + path;
    }

    std::string publicHost() const {
        if (!o.publicHost.empty())
            return o.publicHost;
        if (o.listenHost == "0.0.0.0" || o.listenHost == "::" || o.listenHost.empty())
            return FirstPublicIPv4();
        return o.listenHost;
    }

    void page(httplib::Response& res, const std::string& title, const std::string& body) {
        res.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
                            HtmlEscape(title) + "</title></head><body><h1>" + HtmlEscape(title) +
                            "</h1>" + body + "</body></html>\n",
                        "text/html; charset=utf-8");
    }

    void letterList(httplib::Response& res) {
        std::string body = "<ul>";
        for (const auto& n : FileNames(dir("letters")))
            body += "<li><a href=\"/gaobook/" + httplib::detail::encode_query_param(n) + "\">" +
                    HtmlEscape(n) + "</a></li>";
        page(res, "告知书", body + "</ul>");
    }

    void letterPage(const std::string& name, httplib::Response& res) {
        const auto path = ResolveStoragePath(dir("letters"), name);
        std::error_code ec;
        if (!path || !fs::is_regular_file(*path, ec)) {
            res.status = 404;
            return page(res, "告知书", "<p>没有这个告知书。</p>");
        }
        page(res, name, "<pre>" + HtmlEscape(ReadFile(*path)) + "</pre>");
    }

    void sharedTemplates(httplib::Response& res) {
        std::string body;
        for (const auto& n : FileNames(dir("templates")))
            body += "<h2>" + HtmlEscape(n) + "</h2><pre>" +
                    HtmlEscape(ReadFile(dir("templates") / n)) + "</pre>";
        page(res, "共享模板", body.empty() ? "<p>暂无共享模板。</p>" : body);
    }

    void upload(const Fields& f, httplib::Response& res) {
        if (!timedTokenValid(f))
            return refuse(res);
        Json::Value v;
        const std::string id = Get(f, "jyx_id");
        if (id.empty()) {
            v["code"] = "2";
            v["msg"] = "no jyx_id";
            return reply(res, v, 400);
        }
        Json::Value stored(Json::objectValue);
        for (const auto& [name, value] : f) {
            if (name != "token" && name != "version" && name != "timeid")
                stored[name] = value;
        }
        Json::StreamWriterBuilder compact;
        compact["indentation"] = "";
        compact["emitUTF8"] = true;
        if (!store.put(Get(f, "usersfz"), id, Json::writeString(compact, stored), now())) {
            v["code"] = "3";
            v["msg"] = "store failed";
            return reply(res, v, 500);
        }
        v["code"] = "0";
        v["msg"] = "ok";
        reply(res, v);
    }

    void download(const Fields& f, httplib::Response& res) {
        if (!timedTokenValid(f))
            return refuse(res);
        std::set<std::string> known;
        std::istringstream list(Get(f, "jyxidlist"));
        for (std::string id; std::getline(list, id, ',');) {
            if (!id.empty())
                known.insert(id);
        }
        std::vector<StoredRecord> records;
        Json::Value v;
        if (!store.missing(Get(f, "usersfz"), known, records)) {
            v["code"] = "3";
            v["msg"] = "store failed";
            return reply(res, v, 500);
        }
        v["code"] = "0";
        v["msg"] = "ok";
        v["data"] = Json::arrayValue;
        for (const auto& r : records) {
            const Json::Value fields = ParseJson(r.fields).value_or(Json::Value());
            Json::Value item(Json::objectValue);
            for (const char* member : kRecordMembers) {
                const Json::Value& value = fields.isObject() ? fields[member] : Json::Value();
                item[member] = value.isString() ? value.asString() : std::string();
            }
            item["jyxid"] = r.id;
            v["data"].append(item);
        }
        reply(res, v);
    }

    void routes() {
        auto form = [this](void (Impl::*handler)(const Fields&, httplib::Response&)) {
            return [this, handler](const httplib::Request& req, httplib::Response& res) {
                (this->*handler)(ParseFormBody(req.body), res);
            };
        };
        http.Post("/jyx_command", form(&Impl::command));
        http.Post("/pcgetjyxtype", form(&Impl::headingTemplate));
        http.Post("/gaobook1", form(&Impl::letterAddress));
        http.Post("/getgaobook", form(&Impl::letterText));
        http.Get("/gaobook",
                 [this](const httplib::Request&, httplib::Response& res) { letterList(res); });
        http.Get("/gaobook/(.+)", [this](const httplib::Request& req, httplib::Response& res) {
            letterPage(req.matches[1], res);
        });
        http.Get("/jyx_template",
                 [this](const httplib::Request&, httplib::Response& res) { sharedTemplates(res); });
        http.Post(RegexEscape(uploadPath + "uploadJyx"), form(&Impl::upload));
        http.Post(RegexEscape(uploadPath + "downloadJyx"), form(&Impl::download));
        http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
            if (!res.body.empty())
                return;
            Json::Value v;
            v["code"] = std::to_string(res.status);
            v["msg"] = res.status == 404 ? "not found" : "error";
            res.set_content(JsonText(v), "application/json; charset=utf-8");
        });
        http.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
            log(req.remote_addr + " " + req.method + " " + req.path + " " +
                std::to_string(res.status) + " " + std::to_string(res.body.size()));
        });
        // Before the answer is written, so a test sees the request once its
        // answer has arrived.
        http.set_post_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            std::function<void(const ObservedRequest&)> observe;
            {
                std::lock_guard lock(observerMutex);
                observe = observer;
            }
            if (observe) {
                ObservedRequest r{req.method, req.path, {}, req.body};
                r.headers.insert(req.headers.begin(), req.headers.end());
                observe(r);
            }
        });
    }
};

RecordServer::RecordServer(RecordServerOptions options) : d(std::make_unique<Impl>()) {
    d->o = std::move(options);
    if (!d->o.now)
        d->o.now = [] { return std::time(nullptr); };
    if (!d->o.log)
        d->o.log = [](const std::string& line) { std::cerr << line << std::endl; };
}

RecordServer::~RecordServer() {
    stop();
}

bool RecordServer::start(std::string* error) {
    std::error_code ec;
    for (const char* sub : {"files", "letters", "templates"})
        fs::create_directories(d->dir(sub), ec);
    if (ec) {
        if (error)
            *error = "cannot create " + d->o.dataDir + ": " + ec.message();
        return false;
    }
    if (!d->store.open((fs::path(d->o.dataDir) / "records.db").string(), error))
        return false;

    d->http.set_payload_max_length(d->o.maxRequestBytes);
    d->http.set_read_timeout(10);
    d->http.set_write_timeout(30);
    d->port = d->o.port == 0 ? d->http.bind_to_any_port(d->o.listenHost)
                             : (d->http.bind_to_port(d->o.listenHost, d->o.port) ? d->o.port : -1);
    if (d->port <= 0) {
        if (error)
            *error = "cannot listen on " + d->o.listenHost + ":" + std::to_string(d->o.port);
        return false;
    }
    d->base = d->o.uploadBase.empty() ? d->publicUrl("/") : d->o.uploadBase;
    const auto scheme = d->base.find("://");
    const auto slash = d->base.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    d->uploadPath = slash == std::string::npos ? "/" : d->base.substr(slash);
    d->routes();
    d->listenThread = std::thread([this] { d->http.listen_after_bind(); });
    for (int i = 0; i < 1000 && !d->http.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    if (d->o.filePort >= 0) {
        FilePortOptions f;
        f.bindHost = d->o.listenHost;
        f.port = d->o.filePort;
        f.root = d->dir("files");
        f.tokenWindowSeconds = d->o.tokenWindowSeconds;
        f.maxFileBytes = d->o.maxFileBytes;
        f.now = d->o.now;
        f.log = [this](const std::string& line) { d->log(line); };
        d->files = std::make_unique<FilePortServer>(f);
        if (!d->files->start(error)) {
            stop();
            return false;
        }
    }
    return true;
}

void RecordServer::stop() {
    if (d->files)
        d->files->stop();
    if (d->listenThread.joinable()) {
        d->http.stop();
        d->listenThread.join();
    }
}

int RecordServer::port() const {
    return d->port;
}
int RecordServer::filePort() const {
    return d->files ? d->files->port() : -1;
}
std::string RecordServer::uploadBase() const {
    return d->base;
}

void RecordServer::setObserver(std::function<void(const ObservedRequest&)> observer) {
    std::lock_guard lock(d->observerMutex);
    d->observer = std::move(observer);
}

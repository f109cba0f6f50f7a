// record-server: the record server the Jyx program talks to.
//
//   record-server [--listen HOST] [--port N] [--file-port N] [--data DIR]
//                 [--public-host HOST] [--upload-base URL] [--update-url URL]
//                 [--template TYPE/KIND=FILE]... [--kinds FILE] [--token-window SECONDS]
//                 [--max-file-mb N]
//
// Serves until interrupted (SIGINT or SIGTERM); logs one line per request.
#include "RecordServer.h"

#include <json/json.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

void Usage() {
    std::cerr
        << "usage: record-server [options]\n"
           "  --listen HOST           address to listen on (default 0.0.0.0)\n"
           "  --port N                HTTP port (default 8001)\n"
           "  --file-port N           raw file port (default 8003; -1 for none)\n"
           "  --data DIR              data folder: records.db, files/, letters/, templates/\n"
           "                          (default ./record-data)\n"
           "  --public-host HOST      host named in the addresses handed to clients\n"
           "  --upload-base URL       the upload/download base address (\"ip\"), ending in /\n"
           "                          (default http://PUBLIC-HOST:PORT/)\n"
           "  --update-url URL        a newer program version to offer (\"updateurl\")\n"
           "  --template TYPE/KIND=FILE\n"
           "                          heading template of a kind (UTF-8 text file);\n"
           "                          KIND * serves every kind of TYPE; repeatable\n"
           "  --kinds FILE            heading templates of every kind in a JSON file with a\n"
           "                          \"kinds\" array of {type, kind, heading: [lines]}\n"
           "                          (resources/data/delivered.json has this form)\n"
           "  --token-window SECONDS  age limit of timed tokens (default 300)\n"
           "  --max-file-mb N         largest file accepted on the file port (default 256)\n";
}

bool AddTemplate(RecordServerOptions& o, const std::string& spec) {
    const auto slash = spec.find('/');
    const auto eq = spec.find('=', slash == std::string::npos ? 0 : slash);
    if (slash == std::string::npos || eq == std::string::npos)
        return false;
    std::ifstream in(spec.substr(eq + 1), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    o.headingTemplates[{spec.substr(0, slash), spec.substr(slash + 1, eq - slash - 1)}] =
        text.str();
    return true;
}

// Every {type, kind, heading} of the file's "kinds" array; the heading's
// lines are joined with "\n" as the program keeps them.
bool AddKinds(RecordServerOptions& o, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    if (!in || !Json::parseFromStream(builder, in, &root, &errors) || !root.isObject() ||
        !root["kinds"].isArray())
        return false;
    for (const Json::Value& k : root["kinds"]) {
        if (!k["type"].isString() || !k["kind"].isString() || !k["heading"].isArray())
            return false;
        std::string text;
        for (Json::ArrayIndex i = 0; i < k["heading"].size(); ++i)
            text += (i ? "\n" : "") + k["heading"][i].asString();
        o.headingTemplates[{k["type"].asString(), k["kind"].asString()}] = text;
    }
    return true;
}

bool ToInt(const std::string& text, int& out) {
    try {
        std::size_t used = 0;
        out = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    RecordServerOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "record-server: " << arg << " needs a value\n";
            return 2;
        }
        const std::string value = argv[++i];
        int n = 0;
        bool ok = true;
        if (arg == "--listen")
            o.listenHost = value;
        else if (arg == "--port")
            ok = ToInt(value, o.port) && o.port >= 0 && o.port < 65536;
        else if (arg == "--file-port")
            ok = ToInt(value, o.filePort) && o.filePort >= -1 && o.filePort < 65536;
        else if (arg == "--data")
            o.dataDir = value;
        else if (arg == "--public-host")
            o.publicHost = value;
        else if (arg == "--upload-base")
            o.uploadBase = value;
        else if (arg == "--update-url")
            o.updateUrl = value;
        else if (arg == "--template")
            ok = AddTemplate(o, value);
        else if (arg == "--kinds")
            ok = AddKinds(o, value);
        else if (arg == "--token-window")
            ok = ToInt(value, o.tokenWindowSeconds) && o.tokenWindowSeconds > 0;
        else if (arg == "--max-file-mb")
            ok = ToInt(value, n) && n > 0 && (o.maxFileBytes = std::size_t(n) << 20, true);
        else {
            std::cerr << "record-server: unknown option " << arg << "\n";
            Usage();
            return 2;
        }
        if (!ok) {
            std::cerr << "record-server: bad value for " << arg << ": " << value << "\n";
            return 2;
        }
    }

    // Wait for the end signal on this thread; the serving threads never see it.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    RecordServer server(o);
    std::string error;
    if (!server.start(&error)) {
        std::cerr << "record-server: " << error << "\n";
        return 1;
    }
    std::cerr << "record-server: HTTP on " << o.listenHost << ":" << server.port() << ", file port "
              << server.filePort() << ", upload base " << server.uploadBase() << ", data in "
              << o.dataDir << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    std::cerr << "record-server: stopping" << std::endl;
    server.stop();
    return 0;
}

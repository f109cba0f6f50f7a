// The one class through which the program talks HTTP.
//
// Form mode (record server): the body is "name=value&" per parameter, values
// neither escaped nor converted, and it travels with its terminating zero byte.
// JSON mode (local signature service): the body is sent as the Base64 form of
// its UTF-8 bytes, with the line breaks Base64Encode puts in.
//
// The answer is read line by line; each line is returned followed by "\r\n".
// Text stays UTF-8. Every request has bounded time-outs and a bounded answer
// size, so a dead or runaway server never holds the calling thread for good.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CHttpClient {
public:
    enum class Failure { None, Connect, Timeout, TooLarge, BadUrl, Other };

    CHttpClient();
    virtual ~CHttpClient();

    // Appends name + "=" + value + "&" to the body; nothing is escaped.
    void AddParam(const std::string& name, const std::string& value);
    // Replaces the body (JSON bodies).
    void SetBody(const std::string& body);
    // Sends the body by POST and returns the answer, each line followed by
    // "\r\n". Empty after a transport failure (see LastFailure()).
    std::string Post(const std::string& url, bool json);

    const std::string& Body() const { return m_body; }
    // The bytes a form request puts on the wire: the body and its terminating zero.
    std::string FormWireBody() const { return std::string(m_body.data(), m_body.size() + 1); }
    const std::vector<std::string>& ParamNames() const { return m_names; }
    const std::vector<std::string>& ParamValues() const { return m_values; }

    // 1 when the client talks to the local signature service: a transport
    // failure then offers to open the service's folder.
    void SetSignatureService(int flag) { m_signatureService = flag; }
    int SignatureService() const { return m_signatureService; }

    // Form-mode limits: time to establish the connection and time for the
    // whole exchange. JSON mode always waits up to kJsonTimeout.
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);
    // Answers longer than this are refused rather than read into memory.
    void SetMaxAnswerBytes(std::size_t bytes) { m_maxAnswer = bytes; }

    Failure LastFailure() const { return m_failure; }
    const std::string& LastError() const { return m_error; }

    static constexpr std::chrono::milliseconds kJsonTimeout{600000};
    static constexpr std::chrono::milliseconds kFormConnectTimeout{5000};
    static constexpr std::chrono::milliseconds kFormTotalTimeout{60000};
    static constexpr std::size_t kMaxAnswerBytes = 32u * 1024 * 1024;

private:
    std::string Transfer(const std::string& url, bool json);
    void OfferSignatureServiceFolder();

    std::string m_body;
    std::vector<std::string> m_names;
    std::vector<std::string> m_values;
    int m_signatureService = 0;
    std::chrono::milliseconds m_connectTimeout = kFormConnectTimeout;
    std::chrono::milliseconds m_totalTimeout = kFormTotalTimeout;
    std::size_t m_maxAnswer = kMaxAnswerBytes;
    Failure m_failure = Failure::None;
    std::string m_error;
};

// The answer as the client returns it: every line (split at "\n", a "\r"
// before it dropped) followed by "\r\n"; a final line without a line break
// counts as a line, an empty answer stays empty.
std::string JoinAnswerLines(std::string_view raw);

// The folders where the signature service may be installed, in the order
// they are tried: /opt/Quorra, /usr/local/Quorra, /usr/lib/Quorra and
// ~/.local/share/Quorra.
std::vector<std::string> SignatureServiceFolders();
// The first of `folders` that exists as a directory, or "".
std::string FindSignatureServiceFolder(const std::vector<std::string>& folders);

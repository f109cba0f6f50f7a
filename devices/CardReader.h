// The ID-card reader: the five operations of the reader library behind an
// interface, the library loaded with dlopen from the path set at
// installation, and the one set of buffers every read in the process shares.
#pragma once

#include "devices/CardReaderAbi.h"
#include "devices/IdCard.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

class CardReader {
public:
    virtual ~CardReader() = default;
    virtual int open(int port, const char* config, int* handle) = 0;
    virtual int read(int handle, unsigned char* text, unsigned char* photo,
                     unsigned char* extra) = 0;
    virtual int decodeText(const unsigned char* text, char* out, int* length) = 0;
    virtual int errorText(int code, char* out, int size) = 0;
    virtual int decodePhoto(const unsigned char* photo, const char* format, int option,
                            unsigned char* out, int* length) = 0;
};

// Loads a reader library and looks up its five entry points. Nothing (and
// the reason in *error) when the file is missing or lacks an entry point.
// A loaded library stays loaded for the life of the process.
std::unique_ptr<CardReader> LoadCardReaderLibrary(const std::string& path,
                                                  std::string* error = nullptr);

// The installation setting in the program directory: a line
// "library=<path of the reader library>"; a relative path is taken from the
// program directory. "#" starts a comment.
inline constexpr const char* kCardReaderSettingsFile = "cardreader.conf";
std::string ParseCardReaderLibraryPath(std::string_view text, const std::string& programDir);
// "" when the file or the line is missing.
std::string ReadCardReaderLibraryPath(const std::string& programDir);

inline constexpr const char* kReaderNotOpenMessage = "请确认读卡器连接电脑并打开！";
inline constexpr const char* kCardDecodeFailedMessage = "身份证信息解析失败——";

struct CardReadRequest {
    QDate today;       // the age is counted to this day
    bool photo = true; // decode the photo and write it to photoPath
    QString photoPath; // the card photo file, replaced by a read
};

struct CardReadResult {
    enum class Status {
        Busy,       // another read holds the reader: refused, nothing happened
        OpenFailed, // the reader could not be opened (or no library is set up)
        NotRead,    // no card was read
        Read,       // the card was read; card and photo as far as they decoded
    };
    Status status = Status::NotRead;
    QStringList messages;             // to show, in order
    std::optional<IdCardFields> card; // when the decoded text parsed
    QString photoPath;                // when the photo was decoded and written
};

// The reader of the process: the library, loaded on the first read that
// needs it, and the buffers of the library calls. One read at a time; a read
// asked for while another runs is refused (Busy) instead of waiting, so a
// click never queues up behind a slow reader.
class CardDevice {
public:
    using Loader = std::function<std::unique_ptr<CardReader>()>;
    explicit CardDevice(Loader loader);

    // Open, read, decode the text and, when asked, the photo. Runs on a worker.
    CardReadResult read(const CardReadRequest& request);

private:
    struct Buffers {
        std::array<char, JYX_CARD_CONFIG_SIZE> config{};
        int handle = 0;
        std::array<unsigned char, JYX_CARD_BLOCK_SIZE> text{};
        std::array<unsigned char, JYX_CARD_BLOCK_SIZE> photo{};
        std::array<unsigned char, JYX_CARD_BLOCK_SIZE> extra{};
        std::array<char, JYX_CARD_TEXT_SIZE> decodedText{};
        std::array<char, JYX_CARD_ERROR_SIZE> errorText{};
        std::array<unsigned char, JYX_CARD_PHOTO_SIZE> decodedPhoto{};
    };
    void decodeText(CardReadResult& result, const CardReadRequest& request);
    void decodePhoto(CardReadResult& result, const CardReadRequest& request);

    std::mutex m_busy;
    Loader m_loader;
    std::unique_ptr<CardReader> m_reader;
    std::unique_ptr<Buffers> m_buffers;
};

// The process's reader, with the library of the installation setting of
// ProgramDir().
CardDevice& SharedCardDevice();

#include "devices/CardReader.h"

#include "app/AppContext.h"

#include <QSaveFile>

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class LibraryCardReader : public CardReader {
public:
    JyxCardOpenFn openFn = nullptr;
    JyxCardReadFn readFn = nullptr;
    JyxCardDecodeTextFn decodeTextFn = nullptr;
    JyxCardErrorTextFn errorTextFn = nullptr;
    JyxCardDecodePhotoFn decodePhotoFn = nullptr;

    int open(int port, const char* config, int* handle) override {
        return openFn(port, config, handle);
    }
    int read(int handle, unsigned char* text, unsigned char* photo, unsigned char* extra) override {
        return readFn(handle, text, photo, extra);
    }
    int decodeText(const unsigned char* text, char* out, int* length) override {
        return decodeTextFn(text, out, length);
    }
    int errorText(int code, char* out, int size) override { return errorTextFn(code, out, size); }
    int decodePhoto(const unsigned char* photo, const char* format, int option, unsigned char* out,
                    int* length) override {
        return decodePhotoFn(photo, format, option, out, length);
    }
};

template <class Fn> bool Resolve(void* library, const char* name, Fn& fn, std::string* error) {
    fn = reinterpret_cast<Fn>(dlsym(library, name));
    if (!fn && error)
        *error = std::string("missing entry point ") + name;
    return fn != nullptr;
}

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool WriteFile(const QString& path, const unsigned char* bytes, int length) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(reinterpret_cast<const char*>(bytes), length) != length)
        return false;
    return file.commit();
}

} // namespace

std::unique_ptr<CardReader> LoadCardReaderLibrary(const std::string& path, std::string* error) {
    if (path.empty()) {
        if (error)
            *error = "no card-reader library is set up";
        return nullptr;
    }
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        if (error)
            *error = dlerror();
        return nullptr;
    }
    auto reader = std::make_unique<LibraryCardReader>();
    if (!Resolve(library, JYX_CARD_OPEN, reader->openFn, error) ||
        !Resolve(library, JYX_CARD_READ, reader->readFn, error) ||
        !Resolve(library, JYX_CARD_DECODE_TEXT, reader->decodeTextFn, error) ||
        !Resolve(library, JYX_CARD_ERROR_TEXT, reader->errorTextFn, error) ||
        !Resolve(library, JYX_CARD_DECODE_PHOTO, reader->decodePhotoFn, error)) {
        dlclose(library);
        return nullptr;
    }
    // Never closed: the reader is used until the process ends.
    return reader;
}

std::string ParseCardReaderLibraryPath(std::string_view text, const std::string& programDir) {
    std::string path;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        const auto eq = line.find('=');
        if (line.empty() || line.front() == '#' || eq == std::string_view::npos)
            continue;
        if (Trim(line.substr(0, eq)) == "library")
            path = std::string(Trim(line.substr(eq + 1)));
    }
    if (path.empty() || std::filesystem::path(path).is_absolute())
        return path;
    return programDir + "/" + path;
}

std::string ReadCardReaderLibraryPath(const std::string& programDir) {
    std::ifstream in(programDir + "/" + kCardReaderSettingsFile, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseCardReaderLibraryPath(text.str(), programDir);
}

CardDevice::CardDevice(Loader loader) : m_loader(std::move(loader)) {}

CardReadResult CardDevice::read(const CardReadRequest& request) {
    CardReadResult result;
    std::unique_lock lock(m_busy, std::try_to_lock);
    if (!lock.owns_lock()) {
        result.status = CardReadResult::Status::Busy;
        return result;
    }
    if (!m_reader && m_loader)
        m_reader = m_loader();
    if (!m_buffers)
        m_buffers = std::make_unique<Buffers>();
    // Fresh buffers for every read: a failed decode must not hand on the
    // previous card's particulars as if they were this card's.
    *m_buffers = Buffers{};
    Buffers& b = *m_buffers;
    std::memcpy(b.config.data(), "{}", 2);

    if (!m_reader || m_reader->open(0, b.config.data(), &b.handle) != 0) {
        result.status = CardReadResult::Status::OpenFailed;
        result.messages << QString::fromUtf8(kReaderNotOpenMessage);
        return result;
    }
    if (m_reader->read(b.handle, b.text.data(), b.photo.data(), b.extra.data()) != 0)
        return result; // NotRead, silently
    result.status = CardReadResult::Status::Read;
    decodeText(result, request);
    if (request.photo)
        decodePhoto(result, request);
    return result;
}

void CardDevice::decodeText(CardReadResult& result, const CardReadRequest& request) {
    Buffers& b = *m_buffers;
    int length = JYX_CARD_TEXT_SIZE;
    if (const int code = m_reader->decodeText(b.text.data(), b.decodedText.data(), &length)) {
        m_reader->errorText(code, b.errorText.data(), JYX_CARD_ERROR_SIZE);
        const std::string_view error(b.errorText.data(),
                                     strnlen(b.errorText.data(), b.errorText.size()));
        result.messages << QString::fromUtf8(kCardDecodeFailedMessage) + CardText(error);
    }
    // Whatever the buffer holds, up to its first zero byte.
    const std::string_view text(b.decodedText.data(),
                                strnlen(b.decodedText.data(), b.decodedText.size()));
    result.card = ParseCardJson(text, request.today);
}

void CardDevice::decodePhoto(CardReadResult& result, const CardReadRequest& request) {
    Buffers& b = *m_buffers;
    int length = JYX_CARD_PHOTO_SIZE;
    if (m_reader->decodePhoto(b.photo.data(), "BMP", -1, b.decodedPhoto.data(), &length) != 0)
        return;
    if (length <= 0 || length > JYX_CARD_PHOTO_SIZE || request.photoPath.isEmpty())
        return;
    if (WriteFile(request.photoPath, b.decodedPhoto.data(), length))
        result.photoPath = request.photoPath;
}

CardDevice& SharedCardDevice() {
    static CardDevice device(
        [] { return LoadCardReaderLibrary(ReadCardReaderLibraryPath(ProgramDir())); });
    return device;
}

// A stand-in for the ID-card reader library: the five entry points of
// devices/CardReaderAbi.h serving one card, for tests and demonstrations
// without a reader. It is told what to do through the environment, read at
// every call:
//   JYX_CARDSIM_CARD   file with the card's decoded text (a JSON object);
//                      without it a built-in card is served
//   JYX_CARDSIM_PHOTO  BMP file of the card photo; without it a drawn
//                      102 x 126 portrait is served
//   JYX_CARDSIM_FAIL   steps that fail, separated by commas: open, read,
//                      text (the text decodes with an error, partly), photo
#include "devices/CardReaderAbi.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kTextDecodeError = 7;
constexpr char kPhotoMark[] = "JYX-CARDSIM-PHOTO";

const char* kBuiltInCard = "{\"name\":\"李晓明\",\"sexDesc\":\"男\",\"nationDesc\":\"汉\","
                           "\"cardNo\":\"110101199003071236\",\"born\":\"19900307\","
                           "\"address\":\"北京市东城区景山前街4号\"}";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Fails(const std::string& step) {
    const std::string steps = "," + Env("JYX_CARDSIM_FAIL") + ",";
    return steps.find("," + step + ",") != std::string::npos;
}

bool ReadFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string CardText() {
    const std::string path = Env("JYX_CARDSIM_CARD");
    std::string text;
    if (path.empty() || !ReadFile(path, text))
        return kBuiltInCard;
    return text;
}

void Put16(std::vector<unsigned char>& out, std::size_t at, uint16_t v) {
    out[at] = v & 0xff;
    out[at + 1] = v >> 8;
}
void Put32(std::vector<unsigned char>& out, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = (v >> (8 * i)) & 0xff;
}

// A 24-bit BMP of the size of an ID-card photo: a grey head and shoulders
// on the card's pale background.
std::vector<unsigned char> DrawnPortrait() {
    const int w = 102, h = 126, stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> bmp(54 + stride * h, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, uint32_t(bmp.size()));
    Put32(bmp, 10, 54);
    Put32(bmp, 14, 40);
    Put32(bmp, 18, w);
    Put32(bmp, 22, h);
    Put16(bmp, 26, 1);
    Put16(bmp, 28, 24);
    Put32(bmp, 34, uint32_t(stride * h));
    for (int y = 0; y < h; ++y) {
        const int top = h - 1 - y; // rows are stored bottom-up
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2, dy = top - 45;
            const bool head = dx * dx * 100 / (22 * 22) + dy * dy * 100 / (28 * 28) <= 100;
            const bool body =
                top > 78 &&
                dx * dx * 100 / (48 * 48) + (top - 126) * (top - 126) * 100 / (45 * 45) <= 100;
            unsigned char* p = &bmp[54 + y * stride + x * 3];
            const unsigned char b = head || body ? 110 : 246, g = head || body ? 110 : 240,
                                r = head || body ? 120 : 235;
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
    return bmp;
}

std::vector<unsigned char> Photo() {
    const std::string path = Env("JYX_CARDSIM_PHOTO");
    std::string bytes;
    if (!path.empty() && ReadFile(path, bytes))
        return {bytes.begin(), bytes.end()};
    return DrawnPortrait();
}

void CopyText(char* out, int size, const std::string& text) {
    if (size <= 0)
        return;
    const std::size_t n = std::min(text.size(), std::size_t(size - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int JyxCardOpen(int, const char* config, int* handle) {
    if (Fails("open") || !config || !handle)
        return 1;
    *handle = 1;
    return 0;
}

__attribute__((visibility("default"))) int JyxCardRead(int handle, unsigned char* text,
                                                       unsigned char* photo, unsigned char* extra) {
    if (Fails("read") || handle != 1)
        return 2;
    std::memset(text, 0, JYX_CARD_BLOCK_SIZE);
    std::memset(photo, 0, JYX_CARD_BLOCK_SIZE);
    std::memset(extra, 0, JYX_CARD_BLOCK_SIZE);
    CopyText(reinterpret_cast<char*>(text), JYX_CARD_BLOCK_SIZE, CardText());
    std::memcpy(photo, kPhotoMark, sizeof kPhotoMark);
    return 0;
}

__attribute__((visibility("default"))) int JyxCardDecodeText(const unsigned char* text, char* out,
                                                             int* length) {
    const std::string card(reinterpret_cast<const char*>(text),
                           strnlen(reinterpret_cast<const char*>(text), JYX_CARD_BLOCK_SIZE));
    CopyText(out, *length, card);
    *length = int(std::min<std::size_t>(card.size(), std::size_t(*length > 0 ? *length - 1 : 0)));
    return Fails("text") ? kTextDecodeError : 0;
}

__attribute__((visibility("default"))) int JyxCardErrorText(int code, char* out, int size) {
    CopyText(out, size,
             code == kTextDecodeError ? "卡片文字信息校验错误(7)"
                                      : "未知错误(" + std::to_string(code) + ")");
    return 0;
}

__attribute__((visibility("default"))) int JyxCardDecodePhoto(const unsigned char* photo,
                                                              const char* format, int,
                                                              unsigned char* out, int* length) {
    if (Fails("photo") || std::strcmp(format, "BMP") != 0 ||
        std::memcmp(photo, kPhotoMark, sizeof kPhotoMark) != 0)
        return 3;
    const std::vector<unsigned char> bmp = Photo();
    if (bmp.empty() || bmp.size() > std::size_t(*length))
        return 4;
    std::memcpy(out, bmp.data(), bmp.size());
    *length = int(bmp.size());
    return 0;
}

} // extern "C"

/* The entry points of a card-reader library, as the program looks them up
 * with dlsym. A vendor library (or the simulator built with the program)
 * exports these five C functions; every result is 0 on success. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the reader. `port` is 0; `config` is the configuration text ("{}"
 * followed by zero bytes, 128 bytes); the reader's handle goes to *handle. */
typedef int (*JyxCardOpenFn)(int port, const char* config, int* handle);
/* Reads the card on the reader into three 1 024-byte blocks: the card text,
 * the card photo and a third block the program does not use. */
typedef int (*JyxCardReadFn)(int handle, unsigned char* text, unsigned char* photo,
                             unsigned char* extra);
/* Decodes the card text into a JSON object; *length holds the buffer's size on
 * entry and the text's length on return. Non-zero: an error code. */
typedef int (*JyxCardDecodeTextFn)(const unsigned char* text, char* out, int* length);
/* The zero-terminated message for an error code, cut to `size` bytes. */
typedef int (*JyxCardErrorTextFn)(int code, char* out, int size);
/* Decodes the card photo into an image file in `format` ("BMP"); `option` is
 * -1; *length holds the buffer's size on entry and the file's length on return. */
typedef int (*JyxCardDecodePhotoFn)(const unsigned char* photo, const char* format, int option,
                                    unsigned char* out, int* length);

#define JYX_CARD_OPEN "JyxCardOpen"
#define JYX_CARD_READ "JyxCardRead"
#define JYX_CARD_DECODE_TEXT "JyxCardDecodeText"
#define JYX_CARD_ERROR_TEXT "JyxCardErrorText"
#define JYX_CARD_DECODE_PHOTO "JyxCardDecodePhoto"

/* Buffer sizes both sides rely on. */
enum {
    JYX_CARD_CONFIG_SIZE = 128,
    JYX_CARD_BLOCK_SIZE = 1024,
    JYX_CARD_TEXT_SIZE = 2049,
    JYX_CARD_ERROR_SIZE = 128,
    JYX_CARD_PHOTO_SIZE = 40960
};

#ifdef __cplusplus
}
#endif

#pragma once
// The C interface of the recognition engine library (libqxbcr.so), shared by
// the library and the program that loads it at run time. The image record and
// the result fields are allocated and freed by the library only. Every call
// returns non-zero on success unless said otherwise; no exception leaves the
// library. A handle is used by one thread at a time; different handles may
// work on different threads at once.

#include <cstdint>

extern "C" {

// An image as the engine reads it: one grey byte per pixel, row 0 on top.
struct OcrImage
{
    uint16_t width;
    uint16_t height;
    int32_t reserved0;
    uint8_t** rows; // `height` pointers, each to `width` bytes
    uint8_t* block; // the pixel block the rows point into (the library's own)
    uint16_t left;  // the part of the image that is read, inclusive
    uint16_t right;
    uint16_t top;
    uint16_t bottom;
};

// One recognised text line; a null-terminated list.
struct BField
{
    int32_t index;
    char* text;                       // UTF-8, zero-terminated; may be null
    int32_t left, top, right, bottom; // the line's box in image pixels
    int32_t confidence;               // 0..100
    BField* next;
};

int QX_StartOCR(void** handle, const char* dataDir, const char* configFile, int language, int mode);
int QX_CloseOCR(void** handle);
int QX_allocImage(int reserved, OcrImage** image, int width, int height, int fill);
int QX_freeImage(int reserved, OcrImage** image);
int QX_DoImageOCR(void* handle, OcrImage* image, BField** fields);
int QX_DoLineOCR(void* handle, OcrImage* image, BField** fields, char* buffer, int size);
int QX_freeBField(void* handle, BField* first, int reserved);
int QX_EnableMultiLine(void* handle, int flag);
int QX_EnableRotate(void* handle, int flag);
int QX_SetImgType(void* handle, int type);
int QX_RemoveUnderLine(void* handle, int flag);
int QX_CodeConvert(void* handle, char* text, int mode);
// Error code (0 when none) and its message; with a null handle, the calling
// thread's last failed start.
int QX_GetLastErr(void* handle, char* buffer, int size);
int QX_GetVersionString(char* buffer, int size);
// The model strings of language codes 1 and 2 (e.g. "chi_sim+eng", "eng+deu"),
// for every later start in this process. The first model of a string is
// required; the others are used when installed.
int QXS_SetLanguages(const char* language1, const char* language2);

// One recognised word with its place on the page; a null-terminated list in
// reading order (the words of a line left to right, lines and blocks in the
// order the page is read).
struct OcrWord
{
    int32_t index;                    // 0, 1, 2 ... in reading order
    int32_t line;                     // number of its text line in reading order, from 0
    char* text;                       // UTF-8, zero-terminated, never empty
    int32_t left, top, right, bottom; // the word's box in image pixels (right, bottom exclusive)
    int32_t confidence;               // 0..100
    int32_t lineLeft, lineTop, lineRight, lineBottom; // the box of its whole line
    int32_t baseline; // the line's baseline: image row below the letters
    OcrWord* next;
};

// Recognises the readable part of the image as a whole page (as QX_DoImageOCR)
// and returns its words instead of its lines. Words of nothing but white space
// are left out. The list belongs to the library: free it with QXS_freeWords.
int QXS_DoImageWords(void* handle, OcrImage* image, OcrWord** words);
// Frees a word list (null is allowed) and the engine's result.
int QXS_freeWords(void* handle, OcrWord* first);

} // extern "C"

// Error codes of QX_GetLastErr.
namespace qxerr {
constexpr int None = 0;
constexpr int StartFailed = 1;
constexpr int BadArgument = 2;
constexpr int RecognitionFailed = 3;
constexpr int Exception = 4;
} // namespace qxerr

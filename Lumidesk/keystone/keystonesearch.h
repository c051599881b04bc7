#pragma once

#include <cstddef>

// What the program and the keystone module share: this declaration and nothing else. The module holds
// all of the page detection's image processing, and with it every use of OpenCV, so that the program
// loads OpenCV only once keystone mode is first used. Plain types only across the boundary: no Qt, no
// OpenCV, no exception leaves the module.

// A BGRA picture lent for the length of one call: rows of width x 4 bytes, `stride` bytes apart.
struct KeyStonePicture
{
    const unsigned char *data = nullptr;
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
};

// A corner of the page in frame pixels.
struct KeyStoneCorner
{
    int x = 0;
    int y = 0;
};

// The page search of one detection thread: it keeps the longest straight segment seen for each side
// of the page from frame to frame, and its buffers, so one object serves one thread at a time. Made
// by the module's create entry and deleted through this class.
class KeyStoneSearch
{
public:
    enum Outcome { Failed = -1, NoPage = 0, PageFound = 1 };

    virtual ~KeyStoneSearch() = default;

    // Sets the sides and their scores to zero, as at the start of every run.
    virtual void beginRun() = 0;
    // Looks for the page in one frame. With `resetSides` the sides first start again from the working
    // copy's borders with no score (the periodic reset). PageFound leaves the page's corners, in frame
    // pixels, in the order top-left, top-right, bottom-right, bottom-left, in `corners`; Failed leaves a
    // reason, cut to fit, in `error` (of `errorSize` bytes, may be null).
    virtual Outcome search(const KeyStonePicture &frame, bool resetSides, KeyStoneCorner corners[4], char *error,
                           std::size_t errorSize) = 0;

protected:
    KeyStoneSearch() = default;
    KeyStoneSearch(const KeyStoneSearch &) = delete;
    KeyStoneSearch &operator=(const KeyStoneSearch &) = delete;
};

// The module's entries, resolved by name once it is loaded. The version guards against a module of
// another build: the create entry returns null for any version but its own.
#define LUMIDESK_KEYSTONE_INTERFACE_VERSION 1
#define LUMIDESK_CREATE_KEYSTONE_SEARCH_ENTRY "lumideskCreateKeyStoneSearch"
#define LUMIDESK_WRITE_KEYSTONE_PAGE_ENTRY "lumideskWriteKeyStonePage"

extern "C" {
// A new search, or null when `version` is not the module's.
typedef KeyStoneSearch *(*LumideskCreateKeyStoneSearchFunction)(int version);
// Straightens the frame's quadrilateral (corners as search() gives them) into an upright page and
// writes it to the file `path` (in the local 8-bit encoding), the type chosen by the path's extension
// as cv::imwrite chooses it, with no writer parameters. Returns 1 when the file was written and 0
// when it was not, with a reason in `error` as above. Any thread; keeps nothing.
typedef int (*LumideskWriteKeyStonePageFunction)(const char *path, const KeyStonePicture *frame,
                                                 const KeyStoneCorner corners[4], char *error, std::size_t errorSize);
}

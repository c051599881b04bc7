// The keystone module's entries: the one way into the module, declared in keystonesearch.h.
#include "keystonepagesearch.h"
#include "keystonesearch.h"

#include <opencv2/imgcodecs.hpp>

#include <new>
#include <type_traits>
#include <vector>

#define LUMIDESK_ENTRY extern "C" __attribute__((visibility("default")))

LUMIDESK_ENTRY KeyStoneSearch *lumideskCreateKeyStoneSearch(int version)
{
    if (version != LUMIDESK_KEYSTONE_INTERFACE_VERSION)
        return nullptr;
    return new (std::nothrow) KeyStonePageSearch;
}

LUMIDESK_ENTRY int lumideskWriteKeyStonePage(const char *path, const KeyStonePicture *frame,
                                             const KeyStoneCorner corners[4], char *error, std::size_t errorSize)
{
    if (!path || !frame || !frame->data || frame->width <= 0 || frame->height <= 0
        || frame->stride < std::size_t(frame->width) * 4 || !corners) {
        KeyStonePageSearch::keepReason(error, errorSize, "no page to write");
        return 0;
    }
    try {
        // A header over the caller's pixels: nothing is copied, and nothing is written into them.
        const cv::Mat picture(frame->height, frame->width, CV_8UC4, const_cast<unsigned char *>(frame->data),
                              frame->stride);
        std::vector<cv::Point> outline;
        for (int i = 0; i < 4; ++i)
            outline.emplace_back(corners[i].x, corners[i].y);
        const cv::Mat page = KeyStonePageSearch::warpPage(picture, outline);
        if (page.empty()) {
            KeyStonePageSearch::keepReason(error, errorSize, "the corners enclose no page");
            return 0;
        }
        if (cv::imwrite(path, page, std::vector<int>()))
            return 1;
        KeyStonePageSearch::keepReason(error, errorSize,
                                       "the writer for this type failed or the file could not be opened");
    } catch (const cv::Exception &failure) {
        // An extension no writer takes ends here, among others.
        KeyStonePageSearch::keepReason(error, errorSize, failure.what());
    } catch (...) {
        KeyStonePageSearch::keepReason(error, errorSize, "unexpected failure");
    }
    return 0;
}

// The declared types and the definitions must agree.
static_assert(std::is_same<decltype(&lumideskCreateKeyStoneSearch), LumideskCreateKeyStoneSearchFunction>::value,
              "the create entry does not match its declaration");
static_assert(std::is_same<decltype(&lumideskWriteKeyStonePage), LumideskWriteKeyStonePageFunction>::value,
              "the write entry does not match its declaration");

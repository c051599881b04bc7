#include "imagewriterentry.h"

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <type_traits>
#include <vector>

namespace {

void keepReason(char *error, std::size_t errorSize, const char *reason)
{
    if (error && errorSize > 0)
        std::snprintf(error, errorSize, "%s", reason);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int lumideskWriteImage(const char *path, int rows, int cols,
                                                                          int type, const void *data,
                                                                          std::size_t step, char *error,
                                                                          std::size_t errorSize)
{
    if (!path || !data || rows <= 0 || cols <= 0) {
        keepReason(error, errorSize, "no picture to write");
        return 0;
    }
    try {
        // A header over the caller's pixels: nothing is copied, and nothing is written into them. It
        // throws on a type or a row step that does not fit, which must not leave the module.
        const cv::Mat picture(rows, cols, type, const_cast<void *>(data), step);
        if (cv::imwrite(path, picture, std::vector<int>()))
            return 1;
        keepReason(error, errorSize, "the writer for this type failed or the file could not be opened");
    } catch (const cv::Exception &failure) {
        // An extension no writer takes ends here, among others.
        keepReason(error, errorSize, failure.what());
    } catch (...) {
        keepReason(error, errorSize, "unexpected failure");
    }
    return 0;
}

// The declared type and the definition must agree.
static_assert(std::is_same<decltype(&lumideskWriteImage), LumideskWriteImageFunction>::value,
              "the entry does not match its declaration");

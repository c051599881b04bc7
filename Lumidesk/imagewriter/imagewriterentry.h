#pragma once

#include <cstddef>

// The entry of the image writer module, resolved by name once the module is loaded. Plain C types
// only, so that the module and the program share nothing but this declaration.
//
// Writes the picture of rows x cols pixels of OpenCV element type `type` (CV_8UC4 for BGRA), whose
// rows lie `step` bytes apart from `data` on, to the file `path` (in the local 8-bit encoding), the
// file type chosen by the path's extension as cv::imwrite chooses it, with no writer parameters.
// Returns 1 when the file was written and 0 when it was not; on 0 a reason, cut to fit, is left in
// `error` (of `errorSize` bytes, may be null).
extern "C" {
typedef int (*LumideskWriteImageFunction)(const char *path, int rows, int cols, int type, const void *data,
                                          std::size_t step, char *error, std::size_t errorSize);
}

#define LUMIDESK_WRITE_IMAGE_ENTRY "lumideskWriteImage"

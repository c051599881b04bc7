#pragma once

#include "vantoupdaterglobal.h"

#include <QString>

// Deletes the folder path with everything in it; with recreate non-zero makes it again, empty.
// Links inside are removed as links: what they point to is never touched.
VANTOUPDATER_EXPORT bool deleteDir(QString path, int recreate);

// Whether the test-channel marker file (Documents/Qorv/Tivlo/testUpdate.ini) exists as a regular file.
VANTOUPDATER_EXPORT bool isTestFileExists();

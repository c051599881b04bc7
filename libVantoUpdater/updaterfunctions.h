#pragma once

#include "vantoupdaterglobal.h"

#include <QString>
#include <QUrl>

// Deletes the folder path with everything in it; with recreate non-zero makes it again, empty.
// Links inside are removed as links: what they point to is never touched.
VANTOUPDATER_EXPORT bool deleteDir(QString path, int recreate);

// Whether url names a host that can be reached at all: false for no host and for the names reserved
// never to be anyone's (RFC 2606, RFC 6761: .example, .invalid, .test, example.com/.net/.org), which
// builds use when they name no server. Nothing is ever looked up or sent for such a name.
VANTOUPDATER_EXPORT bool isReachableHost(const QUrl &url);

// Whether the test-channel marker file (Documents/Qorv/Tivlo/testUpdate.ini) exists as a regular file.
VANTOUPDATER_EXPORT bool isTestFileExists();

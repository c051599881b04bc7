#pragma once

#include <QString>

// The table below calls curl's functions through pointers: curl's type-checking macros, named like
// the functions, would take those calls for their own. (In C++ curl.h leaves only macros that stand
// for the same call, which a pointer of the same name takes as well.)
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

// The functions of libcurl the program calls, one line each.
#define LUMIDESK_CURL_FUNCTIONS(X)                                                                         \
    X(curl_global_init)                                                                                    \
    X(curl_easy_init)                                                                                      \
    X(curl_easy_setopt)                                                                                    \
    X(curl_easy_getinfo)                                                                                   \
    X(curl_easy_pause)                                                                                     \
    X(curl_easy_strerror)                                                                                  \
    X(curl_easy_cleanup)                                                                                   \
    X(curl_multi_init)                                                                                     \
    X(curl_multi_setopt)                                                                                   \
    X(curl_multi_add_handle)                                                                               \
    X(curl_multi_remove_handle)                                                                            \
    X(curl_multi_socket_action)                                                                            \
    X(curl_multi_info_read)                                                                                \
    X(curl_multi_cleanup)                                                                                  \
    X(curl_slist_append)                                                                                   \
    X(curl_slist_free_all)

// libcurl, opened the first time a download starts rather than at every start: linked, it and the
// libraries it pulls in (TLS, Kerberos, LDAP, SSH, HTTP/2) cost each start several milliseconds.
// It is opened once per process, whichever thread asks first, initialised once, and stays loaded to
// the end.
class CurlLibrary
{
public:
#define LUMIDESK_CURL_MEMBER(name) decltype(&::name) name = nullptr;
    struct Functions {
        LUMIDESK_CURL_FUNCTIONS(LUMIDESK_CURL_MEMBER)
    };
#undef LUMIDESK_CURL_MEMBER

    // libcurl's functions, curl_global_init already run; null when the library or one of its
    // functions cannot be loaded, with `error` (when given) saying which.
    static const Functions *functions(QString *error = nullptr);

    // The file opened, by default the soname of the libcurl the program was built with. A change
    // counts only before the first use.
    static void setFileName(const QString &fileName);
    static QString fileName();

private:
    CurlLibrary() = delete;
};

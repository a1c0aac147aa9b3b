#include "CurlLibrary.h"

#include <cstring>
#include <optional>

#include <dlfcn.h>

#include <QString>

#include "Log.h"

namespace {

template <typename Function> bool resolve(void *library, const char *name, Function &function) {
    void *const address = dlsym(library, name);
    std::memcpy(&function, &address, sizeof function); // a data pointer's bits as a function's
    return address != nullptr;
}

bool resolveAll(void *library, CurlLibrary &curl) {
    return resolve(library, "curl_easy_init", curl.easyInit) &&
           resolve(library, "curl_easy_cleanup", curl.easyCleanup) &&
           resolve(library, "curl_easy_setopt", curl.easySetopt) &&
           resolve(library, "curl_easy_getinfo", curl.easyGetinfo) &&
           resolve(library, "curl_easy_strerror", curl.easyStrerror) &&
           resolve(library, "curl_multi_init", curl.multiInit) &&
           resolve(library, "curl_multi_cleanup", curl.multiCleanup) &&
           resolve(library, "curl_multi_add_handle", curl.multiAddHandle) &&
           resolve(library, "curl_multi_remove_handle", curl.multiRemoveHandle) &&
           resolve(library, "curl_multi_perform", curl.multiPerform) &&
           resolve(library, "curl_multi_poll", curl.multiPoll) &&
           resolve(library, "curl_multi_info_read", curl.multiInfoRead) &&
           resolve(library, "curl_slist_append", curl.slistAppend) &&
           resolve(library, "curl_slist_free_all", curl.slistFreeAll);
}

std::optional<CurlLibrary> load() {
    // Kept loaded for the life of the process, as its global set-up is.
    void *const library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    CurlLibrary curl{};
    decltype(&curl_global_init) globalInit = nullptr;
    // libcurl 7.84 and later set up safely while other threads run.
    if (library && resolveAll(library, curl) && resolve(library, "curl_global_init", globalInit) &&
        globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK)
        return curl;
    Log::write(QStringLiteral("libcurl could not be loaded: %1")
                   .arg(QString::fromLocal8Bit(library ? "a function is missing" : dlerror())));
    return std::nullopt;
}

} // namespace

const CurlLibrary *CurlLibrary::get() {
    static const std::optional<CurlLibrary> library = load();
    return library ? &*library : nullptr;
}

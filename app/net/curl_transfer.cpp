#include "app/net/curl_transfer.h"

#include "app/core/platform.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace cad {

namespace {

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

EasyHandle makeEasy()
{
    return EasyHandle(curl_easy_init(), &curl_easy_cleanup);
}

void applyCommonOptions(CURL* curl, const std::string& url, bool insecure)
{
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Sonaria/1.0");
    if (insecure) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    // Server addresses come from the user and redirects from the server: neither may
    // reach file://, ftp:// or any other scheme libcurl happens to support.
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
}

bool isSuccessCode(long code)
{
    return code >= 200 && code <= 299;
}

std::string httpError(long code)
{
    return "HTTP " + std::to_string(code);
}

// ---- GET into memory

struct BodySink {
    std::string* body;
    std::size_t limit;
    const std::atomic<bool>* cancel = nullptr;
    bool overflowed = false;
};

int checkGetCancel(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const std::atomic<bool>* cancel = static_cast<BodySink*>(userdata)->cancel;
    return cancel && cancel->load() ? 1 : 0;
}

size_t appendBody(char* data, size_t size, size_t count, void* userdata)
{
    auto* sink = static_cast<BodySink*>(userdata);
    const size_t bytes = size * count;
    if (bytes > sink->limit - sink->body->size()) {
        sink->overflowed = true;
        return bytes == 0 ? 1 : 0; // any count other than `bytes` aborts the transfer
    }
    sink->body->append(data, bytes);
    return bytes;
}

// ---- download into a file

struct FileSink {
    FILE* file;
    Transfer* transfer;
};

size_t writeFile(char* data, size_t size, size_t count, void* userdata)
{
    return std::fwrite(data, size, count, static_cast<FileSink*>(userdata)->file);
}

int reportProgress(void* userdata, curl_off_t expected, curl_off_t received, curl_off_t, curl_off_t)
{
    Transfer* transfer = static_cast<FileSink*>(userdata)->transfer;
    transfer->received.store(double(received));
    if (expected > 0)
        transfer->total.store(double(expected));
    return transfer->cancel.load() ? 1 : 0;
}

// A failure here surfaces when the ".part" file cannot be opened.
void makeParentDirs(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos)
        platform::makeDirs(path.substr(0, slash));
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool namesErrorDocument(const std::string& contentType)
{
    const std::string type = lowerCase(contentType);
    return type.find("json") != std::string::npos || type.find("xml") != std::string::npos
        || type.find("html") != std::string::npos;
}

struct PerformResult {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string contentType;
    bool writeFailed = false; // the file could not be flushed and closed
};

PerformResult performIntoFile(CURL* curl, FILE* file, Transfer& transfer, const std::string& url,
                              bool insecure)
{
    FileSink sink{file, &transfer};
    applyCommonOptions(curl, url, insecure);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &writeFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &reportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &sink);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 25L);
    if (const long long cap = downloadThrottle(); cap > 0)
        curl_easy_setopt(curl, CURLOPT_MAX_RECV_SPEED_LARGE, curl_off_t(cap));

    PerformResult result;
    result.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    const char* type = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
        result.contentType = type;
    return result;
}

FetchOutcome decide(const PerformResult& result, const Transfer& transfer,
                    const std::string& partPath, const std::string& path)
{
    if (result.code != CURLE_OK) {
        platform::removeFile(partPath);
        return {false, transfer.cancel.load() ? "cancelled" : curl_easy_strerror(result.code)};
    }
    if (isSuccessCode(result.status) && !namesErrorDocument(result.contentType)) {
        // Buffered bytes that never reached the disk would make a truncated song look complete.
        if (result.writeFailed) {
            platform::removeFile(partPath);
            return {false, "cannot write file"};
        }
        return finalizeDownload(partPath, path, transfer);
    }
    platform::removeFile(partPath);
    if (transfer.cancel.load())
        return {false, "cancelled"};
    if (!isSuccessCode(result.status))
        return {false, httpError(result.status)};
    return {false, "Server returned an error"};
}

FetchOutcome fetch(const std::string& url, const std::string& path, const std::string& partPath,
                   Transfer& transfer, bool insecure)
{
    makeParentDirs(path);
    FILE* file = std::fopen(partPath.c_str(), "wb");
    if (!file)
        return {false, "cannot write file"};

    EasyHandle curl = makeEasy();
    if (!curl) {
        std::fclose(file);
        return {false, "curl init failed"};
    }
    PerformResult result = performIntoFile(curl.get(), file, transfer, url, insecure);
    curl.reset();
    // A file about to be renamed into place is flushed to the disk first: after a power
    // loss the finished name must never hold a short or empty song.
    bool synced = true;
    if (result.code == CURLE_OK && !transfer.cancel.load())
        synced = std::fflush(file) == 0 && platform::syncDescriptor(fileno(file), partPath);
    result.writeFailed = std::fclose(file) != 0 || !synced;
    return decide(result, transfer, partPath, path);
}

} // namespace

HttpResult performGet(const std::string& url, long timeoutSeconds, bool insecure, std::size_t maxBody,
                      const std::atomic<bool>* cancel)
{
    HttpResult result;
    EasyHandle curl = makeEasy();
    if (!curl) {
        result.error = "curl init failed";
        return result;
    }
    BodySink sink{&result.body, maxBody, cancel};
    applyCommonOptions(curl.get(), url, insecure);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    // Refuses an announced oversized body before any of it arrives; the sink bounds the rest.
    curl_easy_setopt(curl.get(), CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxBody));
    if (cancel) {
        curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &checkGetCancel);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &sink);
    }

    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
        if (cancel && cancel->load()) {
            result.body = std::string();
            result.error = "cancelled";
        } else if (sink.overflowed || code == CURLE_FILESIZE_EXCEEDED) {
            result.body = std::string(); // release the partial body now, not on the UI thread
            result.error = kTooLargeError;
        } else {
            result.error = curl_easy_strerror(code);
        }
        return result;
    }
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    result.status = status;
    result.ok = isSuccessCode(status);
    if (!result.ok)
        result.error = httpError(status);
    return result;
}

std::string temporaryPath(const std::string& path)
{
    static std::atomic<unsigned long long> serial{0};
    return path + "." + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".part";
}

FetchOutcome fetchToFile(const std::string& url, const std::string& path, Transfer& transfer, bool insecure)
{
    return fetchToFile(url, path, temporaryPath(path), transfer, insecure);
}

FetchOutcome fetchToFile(const std::string& url, const std::string& path, const std::string& partPath,
                         Transfer& transfer, bool insecure)
{
    FetchOutcome outcome = fetch(url, path, partPath, transfer, insecure);
    transfer.ok.store(outcome.ok);
    transfer.done.store(true);
    return outcome;
}

FetchOutcome finalizeDownload(const std::string& partPath, const std::string& path, const Transfer& transfer)
{
    // The owner may have moved on (a newer fetch of the same song, shutdown): a file
    // landing now would surprise it, so a late cancel still wins.
    if (transfer.cancel.load()) {
        platform::removeFile(partPath);
        return {false, "cancelled"};
    }
    if (!platform::renameFile(partPath, path))
        return {false, "cannot finalize file"};
    platform::syncDirectory(platform::parentDir(path));
    return {true, {}};
}

long long downloadThrottle()
{
    const char* value = std::getenv("CADDIS_THROTTLE");
    if (!value)
        return 0;
    return std::strtoll(value, nullptr, 10);
}

} // namespace cad

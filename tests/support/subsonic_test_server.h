#pragma once
// Our own Subsonic server for the integration tests, run as a child process.
//
//   testing_support::SubsonicTestServer server;          // http, user demo / password demo
//   ASSERT_TRUE(server.ok()) << server.error();
//   std::string url = server.baseUrl();                  // "http://127.0.0.1:PORT"
//   server.injectFault({.endpoint = "stream", .status = 500});
//   ... drive the client ...
//   auto seen = server.requests();                       // every /rest request, in order
//
// The server is tests/server/subsonic_server.py; its catalogue (artists, albums, songs, playlists
// with their fixed ids) is listed in tests/server/README.md. Every instance has its own state and
// port; the generated media files are cached and shared between instances. The server process is
// bound to the thread that constructs the fixture and dies with it, so construct it on the test's
// own thread.
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace testing_support {

struct TestServerOptions {
    bool tls = false;               // serve HTTPS with a self-signed certificate (see certificatePath)
    std::string user = "demo";      // the only account the server accepts
    std::string password = "demo";
    int albums = 0;                 // generated albums added to the fixed library (--albums)
    double startTimeoutSeconds = 20; // the test fails when the server is not ready by then,
    double mediaTimeoutSeconds = 100; // or by this time while it (or another) generates the media cache
};

// One fault, applied by the server to the next `times` requests to `endpoint`.
// Fields left at their defaults have no effect; the normal reply is used for everything not faulted.
// Several faults may be queued; each request takes the first one still matching.
struct Fault {
    static constexpr int kForever = -1;

    std::string endpoint = "*";     // endpoint name without ".view" ("stream", "getAlbum") or "*" for all
    int times = 1;                  // number of requests it applies to, or kForever

    double delaySeconds = 0;        // wait this long before answering (combines with everything below)

    // Replace the reply:
    int status = 0;                 // non-zero: answer with this HTTP status and an HTML error page
    bool emptyBody = false;         // with status: send no body at all
    bool subsonicError = false;     // answer 200 with a "failed" Subsonic envelope (also for stream/download)
    int errorCode = 70;             //   its error code
    std::string errorMessage = "The requested data was not found"; //   and message
    std::optional<std::string> body {}; // answer with exactly these bytes (status 200 unless `status` is set)

    // Alter how the reply (normal or replaced) is sent:
    std::string contentType {};     // non-empty: send this Content-Type instead
    bool chunked = false;           // chunked transfer encoding instead of Content-Length
    long long dropAfterBytes = -1;  // >= 0: close the connection after this many body bytes
    long long throttleBytesPerSecond = 0; // > 0: send the body no faster than this
    bool stall = false;             // accept the request, never answer nor carry it out; the
                                    // connection closes when the faults are next cleared
};

struct RecordedRequest {
    std::string method;             // "GET"
    std::string path;               // "/rest/getAlbum.view"
    std::string endpoint;           // "getAlbum" (path after /rest/ without ".view")
    std::string query;              // the raw query string, exactly as sent
    std::vector<std::pair<std::string, std::string>> params; // decoded, in order sent
    std::map<std::string, std::string> headers; // names as sent ("User-Agent")
    bool faulted = false;           // a fault was applied to this request

    // First value of a parameter, or "" when absent.
    std::string param(const std::string& name) const;
    // Header value looked up without regard to case, or "" when absent.
    std::string header(const std::string& name) const;
};

struct Scrobble {
    std::string id;
    long long time = 0;             // milliseconds as sent, 0 when not sent
    bool submission = true;
};

class SubsonicTestServer {
public:
    using Options = TestServerOptions;

    SubsonicTestServer();
    explicit SubsonicTestServer(Options options);
    ~SubsonicTestServer();
    SubsonicTestServer(const SubsonicTestServer&) = delete;
    SubsonicTestServer& operator=(const SubsonicTestServer&) = delete;

    // True when the server started; otherwise error() says why (a gtest failure is also recorded).
    bool ok() const { return m_port > 0; }
    const std::string& error() const { return m_error; }

    std::string baseUrl() const;    // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT"
    int port() const { return m_port; }
    const std::string& user() const { return m_options.user; }
    const std::string& password() const { return m_options.password; }
    // PEM certificate of the TLS server (valid for 127.0.0.1 and localhost), for CURLOPT_CAINFO.
    std::string certificatePath() const;

    // A complete authenticated URL: baseUrl + "/rest/" + endpoint + "?u=..&t=..&s=..&v=1.16.1&c=tests&f=json"
    // + each param ("&name=value", value percent-encoded). For tests that talk to the server directly.
    std::string restUrl(const std::string& endpoint,
        const std::vector<std::pair<std::string, std::string>>& params = {}) const;

    // Control calls; each returns false (and records a gtest failure) when the server did not accept it.
    bool injectFault(const Fault& fault);
    bool clearFaults();
    bool reset();                   // faults, request log, stars and scrobbles back to the start state
    std::vector<RecordedRequest> requests();
    bool clearRequests();
    std::vector<Scrobble> scrobbles();
    std::vector<std::string> starredIds(); // ids of starred artists, albums and songs

    // Directory holding the generated media (audio files and covers), shared between servers.
    const std::string& mediaDir() const { return m_mediaDir; }

private:
    bool start();
    bool waitUntilReady();
    bool fail(const std::string& message);
    void stop();
    bool control(const std::string& method, const std::string& path, const std::string& body,
        std::string* reply);

    Options m_options;
    std::string m_workDir;
    std::string m_mediaDir;
    std::string m_salt;
    std::string m_token;
    std::string m_error;
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace testing_support

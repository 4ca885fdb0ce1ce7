#include "support/subsonic_test_server.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <strings.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

namespace {

using Json = nlohmann::json;

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string findInPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// SONARIA_PYTHON when set, else the system interpreter (version-manager shims in PATH cost
// seconds per start), else python3 from PATH.
std::string findPython()
{
    if (const char* chosen = std::getenv("SONARIA_PYTHON"); chosen && *chosen)
        return chosen;
    if (access("/usr/bin/python3", X_OK) == 0)
        return "/usr/bin/python3";
    return findInPath("python3");
}

std::string percentEncode(const std::string& text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

size_t appendToString(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

Json faultToJson(const Fault& fault)
{
    Json json = {
        {"endpoint", fault.endpoint},
        {"times", fault.times},
        {"delaySeconds", fault.delaySeconds},
        {"status", fault.status},
        {"emptyBody", fault.emptyBody},
        {"subsonicError", fault.subsonicError},
        {"errorCode", fault.errorCode},
        {"errorMessage", fault.errorMessage},
        {"contentType", fault.contentType},
        {"chunked", fault.chunked},
        {"dropAfterBytes", fault.dropAfterBytes},
        {"throttleBytesPerSecond", fault.throttleBytesPerSecond},
        {"stall", fault.stall},
    };
    json["body"] = fault.body ? Json(*fault.body) : Json(nullptr);
    return json;
}

RecordedRequest requestFromJson(const Json& json)
{
    RecordedRequest request;
    request.method = json.value("method", "");
    request.path = json.value("path", "");
    request.endpoint = json.value("endpoint", "");
    request.query = json.value("query", "");
    request.faulted = json.value("faulted", false);
    for (const auto& pair : json.value("params", Json::array()))
        request.params.emplace_back(pair.at(0).get<std::string>(), pair.at(1).get<std::string>());
    for (const auto& pair : json.value("headers", Json::array()))
        request.headers[pair.at(0).get<std::string>()] = pair.at(1).get<std::string>();
    return request;
}

// The control API's reply as an object; anything else becomes an empty object.
Json parseObject(const std::string& text)
{
    Json json = Json::parse(text, nullptr, /*allow_exceptions=*/false);
    return json.is_object() ? json : Json::object();
}

} // namespace

std::string RecordedRequest::param(const std::string& name) const
{
    for (const auto& [key, value] : params) {
        if (key == name)
            return value;
    }
    return {};
}

std::string RecordedRequest::header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return {};
}

SubsonicTestServer::SubsonicTestServer()
    : SubsonicTestServer(Options {})
{
}

SubsonicTestServer::SubsonicTestServer(Options options)
    : m_options(std::move(options))
{
    start();
}

SubsonicTestServer::~SubsonicTestServer()
{
    stop();
}

bool SubsonicTestServer::fail(const std::string& message)
{
    m_error = message;
    std::string log = readWholeFile(m_workDir + "/server.log");
    if (log.size() > 2000)
        log = "..." + log.substr(log.size() - 2000);
    if (!log.empty())
        m_error += "\nserver output:\n" + log;
    m_port = 0;
    ADD_FAILURE() << "Subsonic test server: " << m_error;
    return false;
}

bool SubsonicTestServer::start()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sonaria-server-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return fail(std::string("cannot create a work directory: ") + std::strerror(errno));
    m_workDir = pattern;

    const std::string python = findPython();
    if (python.empty())
        return fail("python3 not found in PATH");
    // -S: the server needs only the standard library, and skipping site start-up saves time.
    std::vector<std::string> args = {python, "-S", std::string(SONARIA_SOURCE_DIR) + "/tests/server/subsonic_server.py",
        "--port", "0", "--port-file", m_workDir + "/port", "--user", m_options.user, "--password",
        m_options.password};
    if (m_options.tls)
        args.insert(args.end(), {"--tls", "--cert-dir", m_workDir});
    if (m_options.albums > 0)
        args.insert(args.end(), {"--albums", std::to_string(m_options.albums)});
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string logPath = m_workDir + "/server.log";
    const std::string execFailed = "cannot run " + python + "\n";
    const pid_t parent = getpid();

    m_pid = fork();
    if (m_pid < 0)
        return fail(std::string("fork failed: ") + std::strerror(errno));
    if (m_pid == 0) {
        // Only async-signal-safe calls until exec. The server dies with the test process.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int null = open("/dev/null", O_RDONLY);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        if (null >= 0)
            dup2(null, STDIN_FILENO);
        execv(argv[0], argv.data());
        if (write(STDERR_FILENO, execFailed.data(), execFailed.size()) < 0)
            _exit(126);
        _exit(127);
    }
    return waitUntilReady();
}

bool SubsonicTestServer::waitUntilReady()
{
    using Clock = std::chrono::steady_clock;
    using Seconds = std::chrono::duration<double>;
    const auto started = Clock::now();
    const std::string portFile = m_workDir + "/port";
    while (m_port <= 0) {
        m_port = std::atoi(readWholeFile(portFile).c_str());
        if (m_port > 0)
            break;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return fail("the server exited during start-up");
        }
        const bool preparingMedia = access((portFile + ".pending").c_str(), F_OK) == 0;
        const double limit = preparingMedia ? m_options.mediaTimeoutSeconds : m_options.startTimeoutSeconds;
        if (Clock::now() - started > Seconds(limit))
            return fail("the server was not ready within " + std::to_string(static_cast<int>(limit)) + " s");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::string reply;
    if (!control("GET", "info", "", &reply))
        return fail("the server does not answer its control API");
    Json info = parseObject(reply);
    m_mediaDir = info.value("mediaDir", "");
    m_salt = info.value("salt", "");
    m_token = info.value("token", "");
    return true;
}

void SubsonicTestServer::stop()
{
    if (m_pid > 0) {
        kill(-m_pid, SIGTERM);
        int status = 0;
        bool reaped = false;
        for (int i = 0; i < 150 && !reaped; ++i) {
            reaped = waitpid(m_pid, &status, WNOHANG) == m_pid;
            if (!reaped)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!reaped) {
            kill(-m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }
    if (!m_workDir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_workDir, ignored);
    }
}

std::string SubsonicTestServer::baseUrl() const
{
    return std::string(m_options.tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port);
}

std::string SubsonicTestServer::certificatePath() const
{
    return m_options.tls ? m_workDir + "/cert.pem" : std::string();
}

std::string SubsonicTestServer::restUrl(
    const std::string& endpoint, const std::vector<std::pair<std::string, std::string>>& params) const
{
    std::string url = baseUrl() + "/rest/" + endpoint + "?u=" + percentEncode(m_options.user) + "&t=" + m_token
        + "&s=" + m_salt + "&v=1.16.1&c=tests&f=json";
    for (const auto& [name, value] : params)
        url += "&" + name + "=" + percentEncode(value);
    return url;
}

bool SubsonicTestServer::control(
    const std::string& method, const std::string& path, const std::string& body, std::string* reply)
{
    if (m_port <= 0)
        return false;
    CURL* curl = curl_easy_init();
    if (!curl)
        return false;
    std::string received;
    const std::string url = baseUrl() + "/__test/" + path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L); // our own server; TLS itself is tested elsewhere
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
    if (method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK || status != 200) {
        ADD_FAILURE() << "Subsonic test server control " << method << " " << path << " failed: "
                      << (code != CURLE_OK ? curl_easy_strerror(code) : "HTTP " + std::to_string(status))
                      << " " << received;
        return false;
    }
    if (reply)
        *reply = std::move(received);
    return true;
}

bool SubsonicTestServer::injectFault(const Fault& fault)
{
    return control("POST", "faults", faultToJson(fault).dump(), nullptr);
}

bool SubsonicTestServer::clearFaults()
{
    return control("DELETE", "faults", "", nullptr);
}

bool SubsonicTestServer::reset()
{
    return control("POST", "reset", "", nullptr);
}

bool SubsonicTestServer::clearRequests()
{
    return control("DELETE", "requests", "", nullptr);
}

std::vector<RecordedRequest> SubsonicTestServer::requests()
{
    std::string reply;
    std::vector<RecordedRequest> result;
    if (!control("GET", "requests", "", &reply))
        return result;
    for (const auto& entry : parseObject(reply).value("requests", Json::array()))
        result.push_back(requestFromJson(entry));
    return result;
}

std::vector<Scrobble> SubsonicTestServer::scrobbles()
{
    std::string reply;
    std::vector<Scrobble> result;
    if (!control("GET", "state", "", &reply))
        return result;
    for (const auto& entry : parseObject(reply).value("scrobbles", Json::array()))
        result.push_back({entry.value("id", ""), entry.value("time", 0LL), entry.value("submission", true)});
    return result;
}

std::vector<std::string> SubsonicTestServer::starredIds()
{
    std::string reply;
    if (!control("GET", "state", "", &reply))
        return {};
    return parseObject(reply).value("starred", std::vector<std::string>());
}

} // namespace testing_support

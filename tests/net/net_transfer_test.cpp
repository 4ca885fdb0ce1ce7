#include "app/net/curl_transfer.h"
#include "app/net/subsonic.h"
#include "net/net_test_helpers.h"
#include "support/file_observer.h"
#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

using namespace net_testing;
using testing_support::Fault;
using testing_support::SubsonicTestServer;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void spit(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

Fault on(const std::string& endpoint)
{
    Fault fault;
    fault.endpoint = endpoint;
    return fault;
}

// The URL of a port nothing listens on.
std::string closedPortUrl()
{
    return "http://127.0.0.1:" + std::to_string(unusedPort()) + "/rest/ping";
}

struct NetServerTest : testing::Test {
    testing_support::TempHome home;
    SubsonicTestServer server;
    StartedNet net;

    std::string fileUrl(const std::string& id = "tr-1") { return server.restUrl("download", {{"id", id}}); }
    std::string mediaFile(const std::string& name = "tr-1.mp3") { return slurp(server.mediaDir() + "/" + name); }
};

} // namespace

using NetGet = NetServerTest;

TEST_F(NetGet, SuccessCarriesStatusBodyAndUserAgent)
{
    const cad::HttpResult result = getNow(net, server.restUrl("ping"));
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.error, "");
    EXPECT_NE(result.body.find("\"subsonic-response\""), std::string::npos);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("User-Agent"), "Sonaria/1.0");
}

TEST_F(NetGet, ErrorStatusKeepsTheBody)
{
    Fault notFound = on("ping");
    notFound.status = 404;
    server.injectFault(notFound);
    const cad::HttpResult result = getNow(net, server.restUrl("ping"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(result.error, "HTTP 404");
    EXPECT_NE(result.body.find("<"), std::string::npos) << "the HTML page is kept";
}

TEST_F(NetGet, TransportFailuresReportLibcurlsText)
{
    const cad::HttpResult refused = getNow(net, closedPortUrl());
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.error, curl_easy_strerror(CURLE_COULDNT_CONNECT));

    Fault slow = on("ping");
    slow.delaySeconds = 3;
    server.injectFault(slow);
    const cad::HttpResult timedOut = getNow(net, server.restUrl("ping"), 1);
    EXPECT_EQ(timedOut.status, 0);
    EXPECT_EQ(timedOut.error, curl_easy_strerror(CURLE_OPERATION_TIMEDOUT));

    Fault cut = on("getAlbum");
    cut.dropAfterBytes = 40;
    server.injectFault(cut);
    const cad::HttpResult partial = getNow(net, server.restUrl("getAlbum", {{"id", "al-1"}}));
    EXPECT_FALSE(partial.ok);
    EXPECT_EQ(partial.status, 0);
    EXPECT_EQ(partial.error, curl_easy_strerror(CURLE_PARTIAL_FILE));
    EXPECT_EQ(partial.body.size(), 40u) << "bytes received before the failure are kept";
}

// Callbacks run on the polling thread, in posting order, and may start new transfers that
// are delivered by a later (or the same) poll.
TEST_F(NetGet, CompletionsRunOnThePollingThreadAndMayChain)
{
    const auto uiThread = std::this_thread::get_id();
    std::vector<int> order;
    bool chained = false;
    net.get(server.restUrl("ping"), [&](cad::HttpResult first) {
        EXPECT_EQ(std::this_thread::get_id(), uiThread);
        EXPECT_TRUE(first.ok);
        order.push_back(1);
        net.get(server.restUrl("ping"), [&](cad::HttpResult second) {
            EXPECT_EQ(std::this_thread::get_id(), uiThread);
            chained = second.ok;
        }, 25);
    }, 25);
    EXPECT_TRUE(pollUntil(net, [&] { return chained; }));
    EXPECT_EQ(order, std::vector<int>{1});
}

using NetDownload = NetServerTest;

TEST_F(NetDownload, WritesTheFileThroughAPartFileAndReportsProgress)
{
    const std::string dir = home.dataDir() + "/offline/deep"; // parents are created
    const std::string path = dir + "/tr-1.mp3";
    std::shared_ptr<cad::Transfer> transfer;
    DownloadOutcome out;
    transfer = net.download(fileUrl(), path, [&](bool ok, const std::string& error) {
        EXPECT_TRUE(transfer->done.load()) << "done is set before the callback";
        out = {true, ok, error};
    }, false);
    ASSERT_TRUE(pollUntil(net, [&] { return out.delivered; }));
    EXPECT_TRUE(out.ok) << out.error;
    EXPECT_EQ(out.error, "");
    const std::string expected = mediaFile();
    EXPECT_EQ(slurp(path), expected);
    EXPECT_EQ(temporaries(dir), std::vector<std::string>{});
    EXPECT_TRUE(transfer->ok.load());
    EXPECT_EQ(transfer->received.load(), double(expected.size()));
    EXPECT_EQ(transfer->total.load(), double(expected.size()));
}

TEST_F(NetDownload, ReplacesAnExistingFileAndKnowsNoTotalWithoutALength)
{
    const std::string path = home.file("song.mp3");
    spit(path, "old");
    Fault chunked = on("download");
    chunked.chunked = true;
    server.injectFault(chunked);
    auto transfer = net.download(fileUrl(), path, {}, false); // no callback wanted
    ASSERT_TRUE(pollUntil(net, [&] { return transfer->done.load(); }));
    net.poll(); // the empty callback's completion is harmless
    EXPECT_TRUE(transfer->ok.load());
    EXPECT_EQ(slurp(path), mediaFile());
    EXPECT_EQ(transfer->total.load(), 0.0);
    EXPECT_GT(transfer->received.load(), 0.0);
}

// Every failure leaves the previous file untouched and no ".part" behind.
TEST_F(NetDownload, FailuresKeepTheOldFileAndLeaveNoPartFile)
{
    struct Case {
        const char* name;
        Fault fault;
        std::string error;
    };
    std::vector<Case> cases;
    Fault notFound = on("download");
    notFound.status = 404;
    cases.push_back({"404", notFound, "HTTP 404"});
    Fault envelope = on("download");
    envelope.subsonicError = true;
    cases.push_back({"json envelope", envelope, "Server returned an error"});
    for (const char* type : {"Text/HTML", "application/xml; charset=utf-8", "text/json"}) {
        Fault typed = on("download");
        typed.body = "<p>no</p>";
        typed.contentType = type;
        cases.push_back({type, typed, "Server returned an error"});
    }
    Fault cut = on("download");
    cut.dropAfterBytes = 1000;
    cases.push_back({"dropped", cut, curl_easy_strerror(CURLE_PARTIAL_FILE)});

    const std::string path = home.file("keep.mp3");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spit(path, "previous song");
        ASSERT_TRUE(server.injectFault(c.fault));
        const DownloadOutcome out = downloadNow(net, fileUrl(), path);
        EXPECT_TRUE(out.delivered);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.error, c.error);
        EXPECT_EQ(slurp(path), "previous song");
        EXPECT_EQ(temporaries(home.path()), std::vector<std::string>{});
    }

    spit(path, "previous song");
    const DownloadOutcome refused = downloadNow(net, closedPortUrl(), path);
    EXPECT_EQ(refused.error, curl_easy_strerror(CURLE_COULDNT_CONNECT));
    EXPECT_EQ(slurp(path), "previous song");
    EXPECT_EQ(temporaries(home.path()), std::vector<std::string>{});
}

TEST_F(NetDownload, UnwritableAndUnrenamableDestinations)
{
    spit(home.file("plain"), "a file, not a directory");
    const DownloadOutcome unwritable = downloadNow(net, fileUrl(), home.file("plain") + "/song.mp3");
    EXPECT_FALSE(unwritable.ok);
    EXPECT_EQ(unwritable.error, "cannot write file");

    // A non-empty directory at the destination cannot be replaced by the file.
    const std::string occupied = home.file("occupied");
    std::filesystem::create_directories(occupied + "/inside");
    const DownloadOutcome blocked = downloadNow(net, fileUrl(), occupied);
    EXPECT_FALSE(blocked.ok);
    EXPECT_EQ(blocked.error, "cannot finalize file");
    EXPECT_TRUE(std::filesystem::is_directory(occupied + "/inside"));
    const std::vector<std::string> left = temporaries(home.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left[0].starts_with(occupied + "."));
    EXPECT_EQ(slurp(left[0]), mediaFile()) << "the complete .part stays for a retry";
}

// Bytes that never reach the disk must not yield a "complete" file: a temporary that is a
// link to /dev/full accepts buffered writes and fails them when flushed.
TEST_F(NetDownload, WriteErrorsAreFailures)
{
    Fault tiny = on("download");
    tiny.body = "smaller than the stdio buffer";
    tiny.contentType = "audio/mpeg";
    server.injectFault(tiny);
    const std::string path = home.file("small.mp3");
    const std::string part = path + ".part";
    std::filesystem::create_symlink("/dev/full", part);
    cad::Transfer first;
    const cad::FetchOutcome flushed = cad::fetchToFile(fileUrl(), path, part, first, false);
    EXPECT_FALSE(flushed.ok);
    EXPECT_EQ(flushed.error, "cannot write file");
    EXPECT_FALSE(exists(path));
    EXPECT_FALSE(std::filesystem::is_symlink(part));

    std::filesystem::create_symlink("/dev/full", part);
    cad::Transfer second;
    const cad::FetchOutcome streamed = cad::fetchToFile(fileUrl("tr-4"), path, part, second, false);
    EXPECT_FALSE(streamed.ok);
    EXPECT_EQ(streamed.error, curl_easy_strerror(CURLE_WRITE_ERROR));
    EXPECT_FALSE(exists(path));
}

// A finished download reaches the disk before its final name appears, so a power loss
// never leaves a short song under that name; a failed one is never flushed.
TEST_F(NetDownload, FlushesTheFileBeforeTheRenameAndTheFolderAfter)
{
    const std::string path = home.path() + "/offline/tr-1.mp3";
    const std::string part = path + ".1.part";
    std::vector<std::string> lines;
    {
        testing_support::FileOperations operations;
        cad::Transfer done;
        ASSERT_TRUE(cad::fetchToFile(fileUrl(), path, part, done, false).ok);
        cad::Transfer missing;
        EXPECT_FALSE(cad::fetchToFile(closedPortUrl(), path + "2", part, missing, false).ok);
        lines = operations.lines();
    }
    const std::vector<std::string> expected { "fsync " + part, "rename " + path, "fsync-dir " + home.path() + "/offline" };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(slurp(path), mediaFile());
}

TEST_F(NetDownload, CancelStopsMidTransfer)
{
    Fault slow = on("download");
    slow.throttleBytesPerSecond = 20000;
    server.injectFault(slow);
    const std::string path = home.file("flac.flac");
    spit(path, "previous");
    DownloadOutcome out;
    auto transfer = net.download(fileUrl("tr-4"), path, [&](bool ok, const std::string& error) {
        out = {true, ok, error};
    }, false);
    ASSERT_TRUE(pollUntil(net, [&] { return transfer->received.load() > 0 && transfer->total.load() > 0; }));
    EXPECT_GT(transfer->total.load(), transfer->received.load());
    transfer->cancel = true;
    ASSERT_TRUE(pollUntil(net, [&] { return out.delivered; }, 10));
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.error, "cancelled");
    EXPECT_TRUE(transfer->done.load());
    EXPECT_FALSE(transfer->ok.load());
    EXPECT_EQ(slurp(path), "previous");
    EXPECT_EQ(temporaries(home.path()), std::vector<std::string>{});
}

TEST_F(NetDownload, CancelWinsOverAnErrorStatus)
{
    Fault notFound = on("download");
    notFound.status = 404;
    notFound.delaySeconds = 0.3;
    server.injectFault(notFound);
    DownloadOutcome out;
    auto transfer = net.download(fileUrl(), home.file("x.mp3"), [&](bool ok, const std::string& error) {
        out = {true, ok, error};
    }, false);
    transfer->cancel = true;
    ASSERT_TRUE(pollUntil(net, [&] { return out.delivered; }));
    EXPECT_EQ(out.error, "cancelled");
}

// Interactive downloads share the request workers; song downloads wait for their own pool.
TEST_F(NetDownload, InteractiveDownloadsUseTheRequestPool)
{
    cad::Net requestsOnly;
    requestsOnly.requestPool.start(1);
    requestsOnly.downloadPool.start(0);
    const DownloadOutcome cover = downloadNow(requestsOnly, server.restUrl("getCoverArt", {{"id", "al-1"}}),
                                              home.file("cover.jpg"), true);
    EXPECT_TRUE(cover.ok) << cover.error;

    auto song = requestsOnly.download(fileUrl(), home.file("song.mp3"), {}, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    requestsOnly.poll();
    EXPECT_FALSE(song->done.load()) << "a pool of 0 workers runs nothing";
    EXPECT_EQ(temporaries(home.path()), std::vector<std::string>{});
}

TEST(NetShutdown, UndeliveredCompletionsAreDroppedUncalled)
{
    testing_support::TempHome home;
    SubsonicTestServer server;
    StartedNet net;
    bool called = false;
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    auto transfer = net.download(server.restUrl("download", {{"id", "tr-1"}}), home.file("a.mp3"),
                                 [&, token](bool, const std::string&) { called = true; }, false);
    net.get(server.restUrl("ping"), [&, token](cad::HttpResult) { called = true; }, 25);
    token.reset();
    // Give both transfers time to finish and post, without polling.
    for (int i = 0; i < 500 && (!transfer->done.load() || server.requests().size() < 2); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    net.shutdown();
    EXPECT_TRUE(watch.expired()) << "dropped completions release what they hold";
    net.poll();
    EXPECT_FALSE(called);
    net.get(server.restUrl("ping"), [&](cad::HttpResult) { called = true; }, 25);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    net.poll();
    EXPECT_FALSE(called) << "a shut-down Net runs nothing new";
}

TEST(NetTls, SelfSignedCertificateNeedsInsecure)
{
    testing_support::TempHome home;
    testing_support::TestServerOptions options;
    options.tls = true;
    SubsonicTestServer server(options);
    ASSERT_TRUE(server.ok()) << server.error();
    StartedNet net;

    const std::string verifyError = curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION);
    const cad::HttpResult refused = getNow(net, server.restUrl("ping"));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, verifyError);
    const DownloadOutcome refusedFile = downloadNow(net, server.restUrl("download", {{"id", "tr-1"}}),
                                                    home.file("a.mp3"));
    EXPECT_EQ(refusedFile.error, verifyError);
    EXPECT_FALSE(exists(home.file("a.mp3")));

    net.insecure = true;
    const cad::HttpResult accepted = getNow(net, server.restUrl("ping"));
    EXPECT_TRUE(accepted.ok) << accepted.error;
    const DownloadOutcome acceptedFile = downloadNow(net, server.restUrl("download", {{"id", "tr-1"}}),
                                                     home.file("a.mp3"));
    EXPECT_TRUE(acceptedFile.ok) << acceptedFile.error;
}

namespace {

// Stands in for a callback that owns UI objects: counts every copy that still owns its
// object and is destroyed away from the thread that made it (the polling thread).
struct OwningCallback {
    std::shared_ptr<int> owned = std::make_shared<int>(0);
    std::thread::id uiThread = std::this_thread::get_id();
    std::atomic<int>* releasedElsewhere = nullptr;
    bool* delivered = nullptr;

    OwningCallback(std::atomic<int>& counter, bool& flag) : releasedElsewhere(&counter), delivered(&flag) {}
    OwningCallback(const OwningCallback&) = default;
    OwningCallback(OwningCallback&&) = default; // leaves the source owning nothing
    ~OwningCallback()
    {
        if (owned && std::this_thread::get_id() != uiThread)
            ++*releasedElsewhere;
    }
    void operator()(cad::HttpResult) const { *delivered = true; }
    void operator()(bool, const std::string&) const { *delivered = true; }
    void operator()(bool, const cad::Json&, const std::string&) const { *delivered = true; }
};

} // namespace

// A worker must not keep its own copy of a callback alive once it has posted the
// completion: whichever copy goes last destroys what the callback owns, and that must
// happen on the UI thread.
TEST(NetCallbacks, CapturesAreReleasedOnThePollingThread)
{
    testing_support::TempHome home;
    StartedNet net;
    std::atomic<int> releasedElsewhere{0};
    const std::string url = "file://" + home.file("nothing"); // refused at once, without a server
    const auto run = [&](const auto& start) {
        bool delivered = false;
        start(OwningCallback(releasedElsewhere, delivered));
        EXPECT_TRUE(pollUntil(net, [&] { return delivered; }));
    };
    run([&](OwningCallback done) { net.get(url, std::move(done), 5); });
    for (const bool interactive : {true, false})
        run([&](OwningCallback done) { net.download(url, home.file("x.mp3"), std::move(done), interactive); });
    cad::Subsonic client(net);
    client.configure({"file://" + home.dataDir(), "u", "s", "t"});
    run([&](OwningCallback done) { client.ping(std::move(done)); });
    run([&](OwningCallback done) { client.request("getAlbum", {{"id", "1"}}, std::move(done)); });
    net.shutdown(); // waits for the workers
    EXPECT_EQ(releasedElsewhere.load(), 0);
}

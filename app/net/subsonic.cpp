#include "app/net/subsonic.h"

#include "app/net/net.h"
#include "app/net/percent_encode.h"

namespace cad {

namespace {

// Judges one reply: transport and HTTP failures first, then the JSON envelope.
void handleReply(const HttpResult& result, const Subsonic::ReplyCallback& done)
{
    if (!result.ok && result.body.empty()) {
        done(false, Json(), result.error);
        return;
    }
    bool parsed = false;
    const Json root = parse(result.body, parsed);
    if (!parsed) {
        done(false, Json(), result.ok ? std::string("Invalid server response") : result.error);
        return;
    }
    const Json& response = root.get("subsonic-response");
    if (response.get("status").asString("") == "ok") {
        done(true, response, std::string());
        return;
    }
    done(false, response, response.get("error").get("message").asString("Request failed"));
}

} // namespace

Subsonic::Subsonic(Net& net)
    : m_net(net)
{
}

void Subsonic::configure(Credentials credentials)
{
    while (!credentials.url.empty() && credentials.url.back() == '/')
        credentials.url.pop_back();
    m_url = std::move(credentials.url);
    m_user = std::move(credentials.user);
    m_salt = std::move(credentials.salt);
    m_token = std::move(credentials.token);
}

std::string Subsonic::buildUrl(const std::string& endpoint, const Params& params) const
{
    std::string url = m_url + "/rest/" + endpoint + "?u=" + percentEncode(m_user) + "&t=" + m_token
        + "&s=" + m_salt + "&v=1.16.1&c=" + kClientName + "&f=json";
    for (const auto& [name, value] : params)
        url += "&" + name + "=" + percentEncode(value);
    return url;
}

void Subsonic::request(const std::string& endpoint, const Params& params, ReplyCallback done)
{
    m_net.get(buildUrl(endpoint, params), [done = std::move(done)](HttpResult result) {
        if (done)
            handleReply(result, done);
    }, 25);
}

void Subsonic::ping(StatusCallback done)
{
    request("ping", {}, [done = std::move(done)](bool ok, const Json&, const std::string& error) {
        if (done)
            done(ok, error);
    });
}

} // namespace cad

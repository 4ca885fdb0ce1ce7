#include "app/net/covers.h"

#include "app/core/platform.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"

namespace cad {

namespace {

constexpr double kRetrySeconds = 20;

bool keptInName(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

} // namespace

Covers::Covers(Net& net, Subsonic& subsonic, Store& store)
    : m_net(net)
    , m_subsonic(subsonic)
    , m_store(store)
{
}

std::string Covers::path(const std::string& id, int size)
{
    std::string stem = id;
    for (char& c : stem) {
        if (!keptInName(static_cast<unsigned char>(c)))
            c = '_';
    }
    return platform::dataDir() + "/covers/" + stem + "_" + std::to_string(size) + ".jpg";
}

bool Covers::ready(const std::string& id, int size)
{
    if (id.empty())
        return false;
    const std::string key = id + "#" + std::to_string(size);
    if (const auto it = m_state.find(key); it != m_state.end()) {
        if (it->second == Present)
            return true;
        if (it->second == Downloading)
            return false;
        if (clock() < m_attempt[key] + kRetrySeconds)
            return false;
    }
    if (platform::fileExists(path(id, size))) {
        m_state[key] = Present;
        return true;
    }
    const bool signedIn = !m_subsonic.url().empty() && !m_subsonic.user().empty() && !m_subsonic.token().empty();
    if (!offline && signedIn)
        startDownload(id, size, key);
    return false;
}

void Covers::startDownload(const std::string& id, int size, const std::string& key)
{
    m_state[key] = Downloading;
    std::weak_ptr<int> alive = m_alive;
    const unsigned generation = m_generation;
    auto done = [this, alive, generation, key](bool ok, const std::string&) {
        if (alive.expired() || generation != m_generation)
            return;
        m_state[key] = ok ? Present : Failed;
        m_attempt[key] = clock();
    };
    m_net.download(m_subsonic.coverUrl(id, size), path(id, size), std::move(done), true);
}

void Covers::reset()
{
    ++m_generation;
    m_state.clear();
    m_attempt.clear();
}

} // namespace cad

#include "vell/music_player.h"
#include "vell/wake.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vell {

namespace {

constexpr int kMaxVolume = 128;

int volumeStep(float v)
{
    return int(std::trunc(v * kMaxVolume));
}

FileGains noGains()
{
    const double n = std::nan("");
    return {n, n, n, n};
}

} // namespace

MusicPlayer::MusicPlayer()
    : m_fileGains(noGains())
{
}

MusicPlayer::~MusicPlayer()
{
    closeAudio();
}

bool MusicPlayer::openAudio(AssetLoader* worker)
{
    m_worker = worker;
    if (m_audioOpen)
        return true;
    if (!m_output.probe())
        return false;
    // A second of audio decoded ahead: room for the next file's first samples and for a slow
    // disk, and the decoding thread wakes a few times a second.
    m_output.ring().reset(m_output.rate(), m_output.channels());
    m_pipeline.onEvent = [] { wakeEngine(); };
    m_pipeline.start(&m_output.ring(), m_output.rate());
    applyVolume();
    m_audioOpen = true;
    return true;
}

void MusicPlayer::closeAudio()
{
    if (!m_audioOpen)
        return;
    m_pipeline.shutdown();
    m_output.finish();
    m_audioOpen = false;
    m_loaded = false;
    m_advance.reset();
    m_endAt.reset();
}

std::string MusicPlayer::titleFromPath(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

void MusicPlayer::play(const std::string& path)
{
    start({path, {}, {}});
}

void MusicPlayer::playGrowing(const std::string& path, const std::string& finalPath, std::function<bool()> growing)
{
    start({path, finalPath, std::move(growing)});
}

void MusicPlayer::start(AudioSource source)
{
    if (!m_audioOpen || !m_worker)
        return;
    runOutput(false);
    m_loaded = false;
    const std::string requested = source.path;
    m_path = source.finalPath.empty() ? source.path : source.finalPath;
    m_title = titleFromPath(m_path);
    m_position = 0;
    m_duration = 0;
    m_endAt.reset();
    m_advance.reset();
    m_queuedNext.clear();
    m_nextSource = {};
    m_fileGains = noGains();
    setState(MusicState::Loading);
    const int generation = ++m_generation;
    m_source = source;
    m_pipeline.open(generation, std::move(source));
    if (onPlay)
        onPlay(requested);
}

void MusicPlayer::queueNext(const std::string& path, std::function<bool()> growing)
{
    if (!m_audioOpen || (m_state != MusicState::Loading && m_state != MusicState::Playing && m_state != MusicState::Paused))
        return;
    if (m_advance)
        return; // the queued file is already decoding behind the current one
    m_queuedNext = path;
    m_nextSource = {path, {}, std::move(growing)};
    m_pipeline.queueNext(m_generation, m_nextSource);
}

void MusicPlayer::handle(const AudioEvent& event)
{
    if (event.generation != m_generation)
        return; // superseded by play or stop
    switch (event.type) {
    case AudioEvent::Opened:
        if (m_state == MusicState::Stopped)
            return;
        m_loaded = true;
        if (event.duration > 0)
            m_duration = event.duration;
        if (!event.title.empty())
            m_title = event.title;
        m_fileGains = event.gains;
        m_mark = {event.at, event.pts};
        m_endAt.reset();
        if (m_state == MusicState::Loading) {
            runOutput(true);
            setState(m_output.running() ? MusicState::Playing : MusicState::Stopped);
        }
        return;
    case AudioEvent::Failed:
        m_loaded = false;
        runOutput(false);
        setState(MusicState::Stopped);
        return;
    case AudioEvent::Continued:
        m_advance = event;
        return;
    case AudioEvent::Seeked:
        if (event.serial == m_seekSerial)
            m_seekDone = event.serial;
        if (event.pts >= 0) {
            m_mark = {event.at, event.pts};
            m_endAt.reset();
        }
        return;
    case AudioEvent::Ended:
        if (m_seekDone == m_seekSerial)
            m_endAt = event.at; // an end decoded before a pending seek is not the end
        return;
    }
}

// Follows what the device has played: the switch to a queued file and the end of the last one
// are reported when their sample is heard.
void MusicPlayer::heard(uint64_t consumed)
{
    if (m_advance && consumed >= m_advance->at) {
        const AudioEvent next = std::move(*m_advance);
        m_advance.reset();
        m_path = next.path;
        m_title = next.title.empty() ? titleFromPath(next.path) : next.title;
        m_duration = next.duration;
        m_fileGains = next.gains;
        m_mark = {next.at, next.pts};
        m_source = m_nextSource;
        m_nextSource = {};
        m_queuedNext.clear();
        m_endAt.reset();
        if (onAdvanced)
            onAdvanced(m_path);
        return;
    }
    if (m_endAt && consumed >= *m_endAt && m_state == MusicState::Playing && !m_advance) {
        m_endAt.reset();
        m_position = 0;
        runOutput(false);
        setState(MusicState::Stopped);
        if (onFinished)
            onFinished();
    }
}

void MusicPlayer::stop()
{
    ++m_generation;
    if (m_audioOpen) {
        m_pipeline.stop();
        runOutput(false);
        m_output.ring().requestDrop();
    }
    m_position = 0;
    m_endAt.reset();
    m_advance.reset();
    m_queuedNext.clear();
    setState(MusicState::Stopped);
}

void MusicPlayer::pause()
{
    if (m_state != MusicState::Playing)
        return;
    runOutput(false);
    setState(MusicState::Paused);
}

void MusicPlayer::resume()
{
    if (m_state != MusicState::Paused)
        return;
    runOutput(true);
    setState(MusicState::Playing);
}

bool MusicPlayer::seek(double seconds)
{
    if (!m_loaded || !m_audioOpen || (m_state != MusicState::Playing && m_state != MusicState::Paused))
        return false;
    seconds = std::max(seconds, 0.0);
    if (m_advance) {
        // The queued file is already decoding behind this one: start this one again there.
        m_advance.reset();
        const AudioSource next = m_nextSource;
        m_pipeline.open(++m_generation, m_source, seconds);
        if (!next.path.empty())
            m_pipeline.queueNext(m_generation, next);
    } else {
        m_pipeline.seek(++m_seekSerial, seconds);
    }
    m_output.ring().requestDrop();
    m_endAt.reset();
    m_position = seconds;
    m_mark = {m_output.ring().written(), seconds};
    return true;
}

void MusicPlayer::setVolume(float v)
{
    m_volume = std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
    applyVolume();
}

int MusicPlayer::mixerVolume() const
{
    return volumeStep(m_volume);
}

void MusicPlayer::setNormalisation(double gainDb, double peak)
{
    double gain = std::isfinite(gainDb) ? std::pow(10.0, gainDb / 20.0) : 1.0;
    if (peak > 0 && std::isfinite(peak))
        gain = std::min(gain, 1.0 / peak);
    m_normGain = gain;
    applyVolume();
}

void MusicPlayer::applyVolume()
{
    m_output.setGain(float(volumeStep(m_volume)) / kMaxVolume * float(m_normGain));
}

bool MusicPlayer::buffering() const
{
    if (!m_audioOpen || !m_pipeline.waitingForData())
        return false;
    if (m_state == MusicState::Loading)
        return true;
    // Playing on what is left of the ring is not waiting yet; a tenth of a second is.
    return m_state == MusicState::Playing && m_output.ring().available() < m_output.rate() / 10;
}

void MusicPlayer::runOutput(bool on)
{
    if (on && !m_output.running())
        m_output.start();
    else if (!on && m_output.running())
        m_output.pause(); // closed soon after: SDL would keep feeding the server silence
}

void MusicPlayer::update(float)
{
    if (!m_audioOpen)
        return;
    for (const AudioEvent& event : m_pipeline.takeEvents())
        handle(event);
    const uint64_t consumed = m_output.ring().consumed();
    heard(consumed);
    if (m_state != MusicState::Playing || m_seekDone != m_seekSerial)
        return;
    const double elapsed = consumed > m_mark.at ? double(consumed - m_mark.at) / m_output.rate() : 0.0;
    m_position = m_mark.pts + elapsed;
}

double MusicPlayer::secondsToHeardChange() const
{
    const std::optional<uint64_t> at = m_advance ? std::optional(m_advance->at) : m_endAt;
    if (!m_audioOpen || !at || m_state != MusicState::Playing)
        return std::numeric_limits<double>::infinity();
    const uint64_t consumed = m_output.ring().consumed();
    return *at > consumed ? double(*at - consumed) / m_output.rate() : 0.0;
}

void MusicPlayer::setState(MusicState state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (onStateChanged)
        onStateChanged(int(state));
}

} // namespace vell

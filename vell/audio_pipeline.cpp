#include "vell/audio_pipeline.h"

#include "vell/audio_ring.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace vell {

namespace {

using namespace std::chrono_literals;

bool fileExists(const std::string& path)
{
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return true;
    }
    return false;
}

} // namespace

AudioPipeline::~AudioPipeline()
{
    shutdown();
}

void AudioPipeline::start(AudioRing* ring, int rate)
{
    shutdown();
    m_ring = ring;
    m_rate = rate;
    m_quit = false;
    m_thread = std::thread([this] { run(); });
}

void AudioPipeline::shutdown()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_abort = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_current->close();
    m_next->close();
    m_nextSource.reset();
    m_ended = true;
    std::lock_guard lock(m_mutex);
    m_command = {};
    m_hasCommand = false;
    m_events.clear();
}

void AudioPipeline::open(int generation, AudioSource source, double startAt)
{
    {
        std::lock_guard lock(m_mutex);
        m_command = {};
        m_command.open.emplace(generation, std::move(source));
        m_command.startAt = startAt;
        m_hasCommand = true;
        m_abort = true;
    }
    m_wake.notify_all();
}

void AudioPipeline::queueNext(int generation, AudioSource source)
{
    {
        std::lock_guard lock(m_mutex);
        m_command.next.emplace(generation, std::move(source));
        m_hasCommand = true;
    }
    m_wake.notify_all();
}

void AudioPipeline::seek(int serial, double seconds)
{
    {
        std::lock_guard lock(m_mutex);
        m_command.seek.emplace(serial, seconds);
        m_hasCommand = true;
    }
    m_wake.notify_all();
}

void AudioPipeline::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_command = {};
        m_command.stop = true;
        m_hasCommand = true;
        m_abort = true;
    }
    m_wake.notify_all();
}

std::vector<AudioEvent> AudioPipeline::takeEvents()
{
    std::lock_guard lock(m_mutex);
    std::vector<AudioEvent> events;
    events.swap(m_events);
    return events;
}

bool AudioPipeline::hasEvents(int generation)
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_events.begin(), m_events.end(), [&](const AudioEvent& e) { return e.generation == generation; });
}

void AudioPipeline::post(AudioEvent event)
{
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    if (onEvent)
        onEvent();
}

bool AudioPipeline::commandWaiting()
{
    std::lock_guard lock(m_mutex);
    return m_hasCommand || m_quit;
}

AudioEvent AudioPipeline::describe(AudioEvent::Type type, const AudioDecoder& decoder, const std::string& path) const
{
    AudioEvent event;
    event.type = type;
    event.generation = m_generation;
    event.at = m_ring->written();
    event.pts = decoder.position();
    event.duration = decoder.duration();
    event.title = decoder.title();
    event.path = path;
    event.gains = decoder.gains();
    return event;
}

bool AudioPipeline::openSource(AudioDecoder& decoder, const AudioSource& source)
{
    // A fetch may not have written its first byte yet, or may have finished and renamed its
    // file already.
    for (;;) {
        if (m_abort.load())
            return false;
        const bool growing = source.growing && source.growing();
        if (fileExists(source.path))
            break;
        if (!growing)
            return !source.finalPath.empty() && decoder.open(source.finalPath, m_rate, 2, {}, &m_abort, &m_waiting);
        m_waiting = true;
        std::this_thread::sleep_for(10ms);
    }
    return decoder.open(source.path, m_rate, 2, source.growing, &m_abort, &m_waiting);
}

void AudioPipeline::apply(Command& command)
{
    if (command.stop) {
        m_current->close();
        m_next->close();
        m_nextSource.reset();
        m_ended = true;
        m_atFileEnd = false;
        m_waiting = false;
    }
    if (command.open) {
        m_generation = command.open->first;
        m_next->close();
        m_nextSource.reset();
        m_ring->requestDrop();
        m_atFileEnd = false;
        const AudioSource& source = command.open->second;
        const std::string shown = source.finalPath.empty() ? source.path : source.finalPath;
        if (!openSource(*m_current, source)) {
            m_waiting = false;
            m_ended = true;
            AudioEvent failed;
            failed.type = AudioEvent::Failed;
            failed.generation = m_generation;
            post(std::move(failed));
        } else {
            if (command.startAt > 0)
                m_current->seek(command.startAt);
            m_ended = false;
            m_ring->requestDrop();
            post(describe(AudioEvent::Opened, *m_current, shown));
        }
    }
    if (command.next && command.next->first == m_generation) {
        m_nextSource = std::move(command.next);
        if (m_nextSource->second.path.empty())
            m_nextSource.reset();
        // The current file's end was decoded but may not be heard yet: the next one still
        // joins it, written right behind its last frame.
        if (m_atFileEnd)
            continueWithNext();
    }
    if (command.seek && m_current->isOpen()) {
        AudioEvent event;
        event.type = AudioEvent::Seeked;
        event.generation = m_generation;
        event.serial = command.seek->first;
        event.pts = -1; // refused
        if (m_current->seek(command.seek->second)) {
            m_ended = false;
            m_atFileEnd = false;
            m_ring->requestDrop();
            event.pts = command.seek->second;
        }
        event.at = m_ring->written();
        post(std::move(event));
    }
}

bool AudioPipeline::continueWithNext()
{
    if (!m_nextSource)
        return false;
    const AudioSource source = std::move(m_nextSource->second);
    m_nextSource.reset();
    if (!openSource(*m_next, source))
        return false;
    std::swap(m_current, m_next);
    m_ended = m_atFileEnd = false;
    post(describe(AudioEvent::Continued, *m_current, source.finalPath.empty() ? source.path : source.finalPath));
    return true;
}

void AudioPipeline::endOfFile()
{
    m_current->close();
    if (continueWithNext())
        return;
    m_ended = true;
    m_atFileEnd = true;
    m_waiting = false;
    AudioEvent ended;
    ended.type = AudioEvent::Ended;
    ended.generation = m_generation;
    ended.at = m_ring->written();
    post(std::move(ended));
}

void AudioPipeline::fillRing()
{
    const int frames = m_current->decode();
    if (frames <= 0) {
        if (!m_abort.load())
            endOfFile();
        return;
    }
    const float* samples = m_current->samples();
    int left = frames;
    while (left > 0) {
        const int pushed = m_ring->push(samples, left);
        samples += size_t(pushed) * 2;
        left -= pushed;
        if (left == 0)
            break;
        if (commandWaiting())
            return; // a seek or a new file makes the rest moot
        std::this_thread::sleep_for(20ms);
    }
}

void AudioPipeline::run()
{
    for (;;) {
        Command command;
        bool hasCommand = false;
        {
            std::unique_lock lock(m_mutex);
            // Decode while the ring has room; otherwise sleep until a command or a quarter of
            // the ring has been played.
            const auto ready = [&] {
                return m_quit || m_hasCommand || (!m_ended && m_ring->space() >= m_ring->capacity() / 4);
            };
            if (m_ended)
                m_wake.wait(lock, ready);
            else if (!ready())
                m_wake.wait_for(lock, 50ms, ready);
            if (m_quit)
                return;
            if (m_hasCommand) {
                command = std::move(m_command);
                m_command = {};
                m_hasCommand = false;
                m_abort = false;
                hasCommand = true;
            }
        }
        if (hasCommand) {
            apply(command);
            continue;
        }
        if (!m_ended && m_ring->space() > 0)
            fillRing();
    }
}

} // namespace vell

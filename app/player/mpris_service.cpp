#include "app/player/mpris_service.h"

#include <systemd/sd-bus.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace cad {

namespace {

constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
constexpr char kRootInterface[] = "org.mpris.MediaPlayer2";
constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
constexpr char kBusName[] = "org.mpris.MediaPlayer2.sonaria";
constexpr uint64_t kRaiseTimeoutUs = 2'000'000;

MprisService& self(void* userdata)
{
    return *static_cast<MprisService*>(userdata);
}

// Runs an action with no arguments and answers the call.
template <std::function<void()> MprisActions::*Action>
int simpleCall(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    MprisService& service = self(userdata);
    if (const auto& action = service.actions().*Action)
        action();
    return sd_bus_reply_method_return(m, "");
}

int onSeek(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    MprisService& service = self(userdata);
    int64_t offset = 0;
    const int r = sd_bus_message_read(m, "x", &offset);
    if (r < 0)
        return r;
    const auto& actions = service.actions();
    if (service.state().canSeek && actions.seek) {
        actions.seek(offset);
        if (actions.position)
            service.announceSeek(actions.position());
    }
    return sd_bus_reply_method_return(m, "");
}

int onSetPosition(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    MprisService& service = self(userdata);
    const char* track = nullptr;
    int64_t position = 0;
    const int r = sd_bus_message_read(m, "ox", &track, &position);
    if (r < 0)
        return r;
    const MprisState& state = service.state();
    const auto& actions = service.actions();
    // A request for another track (the client is behind) or outside this one is ignored.
    const bool matches = state.metadata.hasTrack && track && state.metadata.trackId == track;
    if (matches && state.canSeek && position >= 0 && position <= state.metadata.lengthUs && actions.setPosition) {
        actions.setPosition(position);
        if (actions.position)
            service.announceSeek(actions.position());
    }
    return sd_bus_reply_method_return(m, "");
}

int onOpenUri(sd_bus_message*, void*, sd_bus_error* error)
{
    return sd_bus_error_set(error, SD_BUS_ERROR_NOT_SUPPORTED, "Sonaria plays only its server's songs");
}

int getTrue(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
    return sd_bus_message_append(reply, "b", 1);
}

int getFalse(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
    return sd_bus_message_append(reply, "b", 0);
}

int getIdentity(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void*,
                sd_bus_error*)
{
    return sd_bus_message_append(reply, "s", std::strcmp(property, "Identity") == 0 ? "Sonaria" : "sonaria");
}

int getNoStrings(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
    return sd_bus_message_append(reply, "as", 0);
}

int getRate(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
    return sd_bus_message_append(reply, "d", 1.0);
}

int getState(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void* userdata,
             sd_bus_error*)
{
    const MprisState& s = self(userdata).state();
    const std::string name = property;
    if (name == "PlaybackStatus")
        return sd_bus_message_append(reply, "s", s.playbackStatus.c_str());
    if (name == "LoopStatus")
        return sd_bus_message_append(reply, "s", s.loopStatus.c_str());
    if (name == "Volume")
        return sd_bus_message_append(reply, "d", s.volume);
    const bool flag = name == "Shuffle" ? s.shuffle
        : name == "CanGoNext"           ? s.canGoNext
        : name == "CanGoPrevious"       ? s.canGoPrevious
        : name == "CanPlay"             ? s.canPlay
        : name == "CanPause"            ? s.canPause
        : name == "CanSeek"             ? s.canSeek
                                        : true; // CanControl
    return sd_bus_message_append(reply, "b", int(flag));
}

int getPosition(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                sd_bus_error*)
{
    const MprisService& service = self(userdata);
    const auto& position = service.actions().position;
    return sd_bus_message_append(reply, "x", position ? position() : service.state().positionUs);
}

// One a{sv} entry; `type` is the variant's signature and the value follows it.
template <typename... Value>
int appendEntry(sd_bus_message* m, const char* key, const char* type, Value... value)
{
    int r = sd_bus_message_open_container(m, 'e', "sv");
    if (r >= 0)
        r = sd_bus_message_append(m, "s", key);
    if (r >= 0)
        r = sd_bus_message_open_container(m, 'v', type);
    if (r >= 0)
        r = sd_bus_message_append(m, type, value...);
    if (r >= 0)
        r = sd_bus_message_close_container(m);
    if (r >= 0)
        r = sd_bus_message_close_container(m);
    return r;
}

int appendArtists(sd_bus_message* m, const std::vector<std::string>& artists)
{
    int r = sd_bus_message_open_container(m, 'e', "sv");
    if (r >= 0)
        r = sd_bus_message_append(m, "s", "xesam:artist");
    if (r >= 0)
        r = sd_bus_message_open_container(m, 'v', "as");
    if (r >= 0)
        r = sd_bus_message_open_container(m, 'a', "s");
    for (size_t i = 0; r >= 0 && i < artists.size(); ++i)
        r = sd_bus_message_append(m, "s", artists[i].c_str());
    for (int level = 0; r >= 0 && level < 3; ++level)
        r = sd_bus_message_close_container(m);
    return r;
}

int getMetadata(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                sd_bus_error*)
{
    const MprisMetadata& meta = self(userdata).state().metadata;
    int r = sd_bus_message_open_container(reply, 'a', "{sv}");
    if (r >= 0)
        r = appendEntry(reply, "mpris:trackid", "o", meta.trackId.c_str());
    if (r >= 0 && meta.hasTrack) {
        r = appendEntry(reply, "xesam:title", "s", meta.title.c_str());
        if (r >= 0)
            r = appendArtists(reply, meta.artists);
        if (r >= 0)
            r = appendEntry(reply, "xesam:album", "s", meta.album.c_str());
        if (r >= 0 && meta.lengthUs > 0)
            r = appendEntry(reply, "mpris:length", "x", meta.lengthUs);
        if (r >= 0 && !meta.artUrl.empty())
            r = appendEntry(reply, "mpris:artUrl", "s", meta.artUrl.c_str());
    }
    if (r >= 0)
        r = sd_bus_message_close_container(reply);
    return r;
}

int setState(sd_bus*, const char*, const char*, const char* property, sd_bus_message* value, void* userdata,
             sd_bus_error* error)
{
    MprisService& service = self(userdata);
    const MprisActions& actions = service.actions();
    const std::string name = property;
    int r = 0;
    if (name == "LoopStatus") {
        const char* text = nullptr;
        r = sd_bus_message_read(value, "s", &text);
        int repeat = 0;
        if (r >= 0 && !repeatFromLoopStatus(text ? text : "", repeat))
            return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "LoopStatus is None, Track or Playlist");
        if (r >= 0 && actions.setRepeat)
            actions.setRepeat(repeat);
    } else if (name == "Shuffle") {
        int on = 0;
        r = sd_bus_message_read(value, "b", &on);
        if (r >= 0 && actions.setShuffle)
            actions.setShuffle(on != 0);
    } else if (name == "Volume") {
        double volume = 0;
        r = sd_bus_message_read(value, "d", &volume);
        if (r >= 0 && actions.setVolume)
            actions.setVolume(volume);
    }
    return r;
}

constexpr uint64_t kConst = SD_BUS_VTABLE_PROPERTY_CONST;
constexpr uint64_t kEmits = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;

const sd_bus_vtable kRootVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Raise", "", "", (simpleCall<&MprisActions::raise>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Quit", "", "", (simpleCall<&MprisActions::quit>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("CanQuit", "b", getTrue, 0, kConst),
    SD_BUS_PROPERTY("CanRaise", "b", getTrue, 0, kConst),
    SD_BUS_PROPERTY("HasTrackList", "b", getFalse, 0, kConst),
    SD_BUS_PROPERTY("Identity", "s", getIdentity, 0, kConst),
    SD_BUS_PROPERTY("DesktopEntry", "s", getIdentity, 0, kConst),
    SD_BUS_PROPERTY("SupportedUriSchemes", "as", getNoStrings, 0, kConst),
    SD_BUS_PROPERTY("SupportedMimeTypes", "as", getNoStrings, 0, kConst),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kPlayerVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Next", "", "", (simpleCall<&MprisActions::next>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Previous", "", "", (simpleCall<&MprisActions::previous>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Pause", "", "", (simpleCall<&MprisActions::pause>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("PlayPause", "", "", (simpleCall<&MprisActions::playPause>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Stop", "", "", (simpleCall<&MprisActions::stop>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Play", "", "", (simpleCall<&MprisActions::play>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Seek", "x", "", onSeek, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SetPosition", "ox", "", onSetPosition, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("OpenUri", "s", "", onOpenUri, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("Seeked", "x", 0),
    SD_BUS_PROPERTY("PlaybackStatus", "s", getState, 0, kEmits),
    SD_BUS_WRITABLE_PROPERTY("LoopStatus", "s", getState, setState, 0, kEmits | SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("Rate", "d", getRate, 0, kConst),
    SD_BUS_WRITABLE_PROPERTY("Shuffle", "b", getState, setState, 0, kEmits | SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("Metadata", "a{sv}", getMetadata, 0, kEmits),
    SD_BUS_WRITABLE_PROPERTY("Volume", "d", getState, setState, 0, kEmits | SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("Position", "x", getPosition, 0, 0),
    SD_BUS_PROPERTY("MinimumRate", "d", getRate, 0, kConst),
    SD_BUS_PROPERTY("MaximumRate", "d", getRate, 0, kConst),
    SD_BUS_PROPERTY("CanGoNext", "b", getState, 0, kEmits),
    SD_BUS_PROPERTY("CanGoPrevious", "b", getState, 0, kEmits),
    SD_BUS_PROPERTY("CanPlay", "b", getState, 0, kEmits),
    SD_BUS_PROPERTY("CanPause", "b", getState, 0, kEmits),
    SD_BUS_PROPERTY("CanSeek", "b", getState, 0, kEmits),
    SD_BUS_PROPERTY("CanControl", "b", getState, 0, kConst),
    SD_BUS_VTABLE_END,
};

std::string errorText(const char* what, int r)
{
    return std::string(what) + ": " + std::strerror(r < 0 ? -r : r);
}

} // namespace

MprisService::~MprisService()
{
    stop();
}

bool MprisService::start(MprisActions actions, std::function<void()> wake, std::string& error)
{
    if (m_bus)
        return true;
    m_actions = std::move(actions);
    m_wake = std::move(wake);
    int r = sd_bus_open_user(&m_bus);
    if (r < 0) {
        m_bus = nullptr;
        error = errorText("no session bus", r);
        return false;
    }
    r = sd_bus_add_object_vtable(m_bus, &m_rootSlot, kObjectPath, kRootInterface, kRootVtable, this);
    if (r >= 0)
        r = sd_bus_add_object_vtable(m_bus, &m_playerSlot, kObjectPath, kPlayerInterface, kPlayerVtable, this);
    if (r < 0) {
        error = errorText("cannot publish the media controls", r);
        stop();
        return false;
    }
    // A Sonaria on another data folder may hold the plain name already.
    std::string name = kBusName;
    r = sd_bus_request_name(m_bus, name.c_str(), 0);
    if (r == -EEXIST) {
        name += ".instance" + std::to_string(::getpid());
        r = sd_bus_request_name(m_bus, name.c_str(), 0);
    }
    if (r < 0) {
        error = errorText("no session bus", r);
        stop();
        return false;
    }
    m_name = name;
    const int fd = sd_bus_get_fd(m_bus);
    if (fd < 0 || ::pipe2(m_stopPipe, O_CLOEXEC) != 0) {
        error = errorText("cannot watch the session bus", fd < 0 ? fd : errno);
        stop();
        return false;
    }
    m_stopping = false;
    m_pending = false;
    m_watcher = std::thread([this, fd] { watch(fd); });
    return true;
}

void MprisService::stop()
{
    if (m_watcher.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_serviced.notify_all();
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_stopPipe[1], &byte, 1);
        m_watcher.join();
    }
    for (int& fd : m_stopPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    m_rootSlot = sd_bus_slot_unref(m_rootSlot);
    m_playerSlot = sd_bus_slot_unref(m_playerSlot);
    if (m_bus)
        m_bus = sd_bus_flush_close_unref(m_bus);
    m_name.clear();
    m_published = false;
}

void MprisService::watch(int busFd)
{
    pollfd fds[2] = { { busFd, POLLIN, 0 }, { m_stopPipe[0], POLLIN, 0 } };
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!fds[0].revents)
            continue;
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_stopping)
            return;
        m_pending = true;
        lock.unlock();
        if (m_wake)
            m_wake();
        lock.lock();
        // The socket stays readable until the UI thread has read it.
        m_serviced.wait(lock, [this] { return !m_pending || m_stopping; });
        if (m_stopping)
            return;
    }
}

void MprisService::process()
{
    if (!m_bus)
        return;
    int r = 0;
    while ((r = sd_bus_process(m_bus, nullptr)) > 0) {
    }
    if (r < 0) {
        // The bus went away (the session ended): no media controls from here on.
        std::fprintf(stderr, "sonaria: %s\n", errorText("lost the session bus", r).c_str());
        stop();
        return;
    }
    flush();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = false;
    }
    m_serviced.notify_all();
}

void MprisService::publish(const MprisState& state, double now)
{
    if (!m_bus)
        return;
    std::vector<std::string> names;
    bool jumped = false;
    if (m_published) {
        names = changedProperties(m_state, state);
        jumped = !m_requested && positionJumped(m_state, state, now - m_publishedAt);
    }
    m_state = state;
    m_publishedAt = now;
    m_published = true;
    m_requested = false;
    if (!names.empty()) {
        std::vector<char*> list;
        for (std::string& name : names)
            list.push_back(name.data());
        list.push_back(nullptr);
        sd_bus_emit_properties_changed_strv(m_bus, kObjectPath, kPlayerInterface, list.data());
    }
    if (jumped)
        sd_bus_emit_signal(m_bus, kObjectPath, kPlayerInterface, "Seeked", "x", state.positionUs);
    if (!names.empty() || jumped)
        flush();
}

void MprisService::announceSeek(int64_t positionUs)
{
    if (!m_bus)
        return;
    m_state.positionUs = positionUs;
    m_requested = true; // the next publish must not announce the same jump again
    sd_bus_emit_signal(m_bus, kObjectPath, kPlayerInterface, "Seeked", "x", positionUs);
}

void MprisService::flush()
{
    if (m_bus)
        sd_bus_flush(m_bus);
}

bool MprisService::raise(const std::string& busName, std::string& error)
{
    sd_bus* bus = nullptr;
    int r = sd_bus_open_user(&bus);
    if (r < 0) {
        error = errorText("no session bus", r);
        return false;
    }
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    r = sd_bus_message_new_method_call(bus, &call, busName.c_str(), kObjectPath, kRootInterface, "Raise");
    if (r >= 0)
        r = sd_bus_call(bus, call, kRaiseTimeoutUs, &failure, &reply);
    if (r < 0)
        error = failure.message ? failure.message : errorText("no answer", r);
    sd_bus_error_free(&failure);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    return r >= 0;
}

} // namespace cad

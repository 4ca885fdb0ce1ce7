#include "vell/audio_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace vell {

namespace {

constexpr int kIoBufferSize = 32 * 1024;
// Packets the decoder may refuse in a row before the file counts as unplayable.
constexpr int kMaxBadPackets = 64;

int readPacket(void* opaque, uint8_t* buffer, int size)
{
    return static_cast<AudioDecoder*>(opaque)->readBytes(buffer, size);
}

int64_t seekPacket(void* opaque, int64_t offset, int whence)
{
    return static_cast<AudioDecoder*>(opaque)->seekBytes(offset, whence);
}

double nan() { return std::nan(""); }

// "-6.54 dB" -> -6.54; NaN when the value is not a number.
double tagNumber(AVDictionary* tags, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0);
    if (!entry || !entry->value)
        return nan();
    char* end = nullptr;
    const double value = std::strtod(entry->value, &end);
    return end == entry->value || !std::isfinite(value) ? nan() : value;
}

} // namespace

AudioDecoder::AudioDecoder()
    : m_gains{nan(), nan(), nan(), nan()}
{
}

AudioDecoder::~AudioDecoder()
{
    close();
}

bool AudioDecoder::fail(const std::string& message)
{
    m_error = message;
    close();
    return false;
}

bool AudioDecoder::open(const std::string& path, int rate, int channels, std::function<bool()> growing,
                        const std::atomic<bool>* abort, std::atomic<bool>* waiting)
{
    // A damaged file is a value (error(), skipped frames), not console noise.
    static const bool quiet = (av_log_set_level(AV_LOG_FATAL), true);
    (void)quiet;
    close();
    m_error.clear();
    m_rate = rate;
    m_channels = channels;
    m_growing = std::move(growing);
    m_abort = abort;
    m_waiting = waiting;

    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        return fail("cannot open " + path);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    m_io = avio_alloc_context(buffer, kIoBufferSize, 0, this, &readPacket, nullptr, &seekPacket);
    m_format = avformat_alloc_context();
    if (!buffer || !m_io || !m_format)
        return fail("out of memory");
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Enough to recognise any audio file without reading far into a stream still arriving.
    m_format->probesize = 256 * 1024;
    m_format->max_analyze_duration = AV_TIME_BASE / 2;
    if (avformat_open_input(&m_format, path.c_str(), nullptr, nullptr) < 0) {
        m_format = nullptr; // freed by avformat_open_input on failure
        return fail("not an audio file");
    }
    if (avformat_find_stream_info(m_format, nullptr) < 0)
        return fail("no stream information");
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec)
        return fail("no audio stream");
    AVStream* stream = m_format->streams[m_stream];
    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec || avcodec_parameters_to_context(m_codec, stream->codecpar) < 0)
        return fail("out of memory");
    m_codec->pkt_timebase = stream->time_base;
    if (avcodec_open2(m_codec, codec, nullptr) < 0)
        return fail("cannot open the decoder");
    for (int i = 0; i < int(m_format->nb_streams); ++i) {
        if (i != m_stream)
            m_format->streams[i]->discard = AVDISCARD_ALL; // cover art and the like
    }
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_packet || !m_frame)
        return fail("out of memory");

    if (stream->duration > 0 && stream->duration != AV_NOPTS_VALUE)
        m_duration = double(stream->duration) * av_q2d(stream->time_base);
    else if (m_format->duration > 0)
        m_duration = double(m_format->duration) / AV_TIME_BASE;
    // MP4 declares its exact length (edit list) but FFmpeg leaves the AAC padding after it.
    const std::string demuxer = m_format->iformat && m_format->iformat->name ? m_format->iformat->name : "";
    if (demuxer.find("mp4") != std::string::npos && m_duration > 0)
        m_endAt = m_duration;
    readTags();
    return true;
}

void AudioDecoder::readTags()
{
    AVDictionary* sources[] = {m_format->metadata, m_format->streams[m_stream]->metadata};
    for (AVDictionary* tags : sources) {
        if (m_title.empty())
            if (const AVDictionaryEntry* title = av_dict_get(tags, "title", nullptr, 0))
                m_title = title->value ? title->value : "";
        auto take = [&](double& slot, const char* key) {
            if (std::isnan(slot))
                slot = tagNumber(tags, key);
        };
        take(m_gains.trackGain, "REPLAYGAIN_TRACK_GAIN");
        take(m_gains.trackPeak, "REPLAYGAIN_TRACK_PEAK");
        take(m_gains.albumGain, "REPLAYGAIN_ALBUM_GAIN");
        take(m_gains.albumPeak, "REPLAYGAIN_ALBUM_PEAK");
        // Opus files carry R128 gains: Q7.8 dB relative to -23 LUFS, 5 dB below ReplayGain's
        // reference.
        const double r128Track = tagNumber(tags, "R128_TRACK_GAIN");
        if (std::isnan(m_gains.trackGain) && !std::isnan(r128Track))
            m_gains.trackGain = r128Track / 256.0 + 5.0;
        const double r128Album = tagNumber(tags, "R128_ALBUM_GAIN");
        if (std::isnan(m_gains.albumGain) && !std::isnan(r128Album))
            m_gains.albumGain = r128Album / 256.0 + 5.0;
    }
}

void AudioDecoder::close()
{
    swr_free(&m_swr);
    avcodec_free_context(&m_codec);
    if (m_format)
        avformat_close_input(&m_format);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    if (m_file)
        std::fclose(static_cast<FILE*>(m_file));
    m_file = nullptr;
    m_stream = -1;
    m_swrFormat = -1;
    m_inputDone = m_decoderDone = m_finished = false;
    m_badPackets = 0;
    m_skipUntil = -1;
    m_duration = m_position = m_endAt = 0;
    m_title.clear();
    m_gains = {nan(), nan(), nan(), nan()};
    setWaiting(false);
    m_waiting = nullptr;
}

void AudioDecoder::setWaiting(bool waiting)
{
    if (m_waiting)
        m_waiting->store(waiting);
}

int AudioDecoder::readBytes(unsigned char* buffer, int size)
{
    auto* file = static_cast<FILE*>(m_file);
    for (;;) {
        const size_t n = std::fread(buffer, 1, size_t(size), file);
        if (n > 0) {
            setWaiting(false);
            return int(n);
        }
        std::clearerr(file);
        if (m_abort && m_abort->load())
            return AVERROR_EXIT;
        if (!m_growing || !m_growing()) {
            // The writer may have added its last bytes between our read and its end.
            const size_t last = std::fread(buffer, 1, size_t(size), file);
            std::clearerr(file);
            setWaiting(false);
            return last > 0 ? int(last) : AVERROR_EOF;
        }
        setWaiting(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

long long AudioDecoder::seekBytes(long long offset, int whence)
{
    auto* file = static_cast<FILE*>(m_file);
    const bool growing = m_growing && m_growing();
    if (whence & AVSEEK_SIZE) {
        if (growing)
            return -1; // not known until the writer is done
        const long long here = ftello(file);
        fseeko(file, 0, SEEK_END);
        const long long size = ftello(file);
        fseeko(file, here, SEEK_SET);
        return size;
    }
    whence &= ~AVSEEK_FORCE;
    if (whence == SEEK_END && growing)
        return -1;
    if (fseeko(file, offset, whence) != 0)
        return -1;
    return ftello(file);
}

bool AudioDecoder::setupResampler()
{
    swr_free(&m_swr);
    AVChannelLayout out{};
    av_channel_layout_default(&out, m_channels);
    AVChannelLayout in{}; // zeroed: av_channel_layout_copy uninitialises its target first
    if (m_frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || m_frame->ch_layout.nb_channels == 0)
        av_channel_layout_default(&in, std::max(m_frame->ch_layout.nb_channels, 1));
    else if (av_channel_layout_copy(&in, &m_frame->ch_layout) < 0)
        return false;
    const int rc = swr_alloc_set_opts2(&m_swr, &out, AV_SAMPLE_FMT_FLT, m_rate, &in,
                                       AVSampleFormat(m_frame->format), m_frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (rc < 0 || swr_init(m_swr) < 0) {
        swr_free(&m_swr);
        return false;
    }
    m_swrFormat = m_frame->format;
    m_swrRate = m_frame->sample_rate;
    m_swrChannels = m_frame->ch_layout.nb_channels;
    return true;
}

int AudioDecoder::convert(AVFrame* frame)
{
    if (frame->sample_rate <= 0 || frame->nb_samples <= 0)
        return 0;
    if (!m_swr || frame->format != m_swrFormat || frame->sample_rate != m_swrRate
        || frame->ch_layout.nb_channels != m_swrChannels) {
        if (!setupResampler())
            return 0;
    }
    const int capacity = swr_get_out_samples(m_swr, frame->nb_samples);
    if (capacity <= 0)
        return 0;
    m_out.resize(size_t(capacity) * size_t(m_channels));
    auto* out = reinterpret_cast<uint8_t*>(m_out.data());
    const int frames = swr_convert(m_swr, &out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                                   frame->nb_samples);
    return std::max(frames, 0);
}

int AudioDecoder::drainResampler()
{
    if (!m_swr)
        return 0;
    const int capacity = swr_get_out_samples(m_swr, 0);
    if (capacity <= 0)
        return 0;
    m_out.resize(size_t(capacity) * size_t(m_channels));
    auto* out = reinterpret_cast<uint8_t*>(m_out.data());
    return std::max(swr_convert(m_swr, &out, capacity, nullptr, 0), 0);
}

int AudioDecoder::decode()
{
    while (m_format && !m_finished) {
        const int received = avcodec_receive_frame(m_codec, m_frame);
        if (received == 0) {
            AVStream* stream = m_format->streams[m_stream];
            const int64_t pts = m_frame->best_effort_timestamp;
            if (pts != AV_NOPTS_VALUE) {
                const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
                m_position = double(pts - start) * av_q2d(stream->time_base);
            }
            const double frameStart = m_position;
            int frames = convert(m_frame);
            av_frame_unref(m_frame);
            m_position = frameStart + double(frames) / m_rate;
            if (m_skipUntil >= 0) {
                // After a seek: decoding restarted at a packet before the target.
                const int drop = std::clamp(int(std::lround((m_skipUntil - frameStart) * m_rate)), 0, frames);
                if (drop >= frames && m_position < m_skipUntil)
                    continue;
                m_out.erase(m_out.begin(), m_out.begin() + ptrdiff_t(drop) * m_channels);
                frames -= drop;
                m_skipUntil = -1;
            }
            if (m_endAt > 0 && m_position > m_endAt) {
                // Encoder padding past the end the container declares.
                frames = std::max(0, frames - int(std::lround((m_position - m_endAt) * m_rate)));
                m_position = m_endAt;
                m_finished = frames == 0;
            }
            if (frames > 0)
                return frames;
            continue;
        }
        if (received == AVERROR_EOF) {
            m_decoderDone = true;
            int tail = drainResampler();
            if (m_endAt > 0)
                tail = std::clamp(int(std::lround((m_endAt - m_position) * m_rate)), 0, tail);
            m_finished = true;
            m_position += double(tail) / m_rate;
            return tail;
        }
        if (received != AVERROR(EAGAIN)) {
            // A broken frame: the decoder goes on with the next packet.
            if (m_inputDone) {
                m_finished = true;
                return drainResampler();
            }
        }
        if (m_inputDone) {
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        const int read = av_read_frame(m_format, m_packet);
        if (read < 0) {
            // The end, a file cut short or unreadable beyond this point: play what there is.
            m_inputDone = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (m_packet->stream_index == m_stream) {
            const int sent = avcodec_send_packet(m_codec, m_packet);
            if (sent < 0 && sent != AVERROR(EAGAIN)) {
                if (++m_badPackets > kMaxBadPackets)
                    m_inputDone = true;
            } else {
                m_badPackets = 0;
            }
        }
        av_packet_unref(m_packet);
    }
    return 0;
}

bool AudioDecoder::seek(double seconds)
{
    if (!m_format)
        return false;
    seconds = std::max(seconds, 0.0);
    AVStream* stream = m_format->streams[m_stream];
    const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    const int64_t target = start + int64_t(seconds / av_q2d(stream->time_base));
    if (av_seek_frame(m_format, m_stream, target, AVSEEK_FLAG_BACKWARD) < 0
        && avformat_seek_file(m_format, m_stream, INT64_MIN, target, target, 0) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    swr_free(&m_swr); // its delay holds samples from before the seek
    m_swrFormat = -1;
    m_inputDone = m_decoderDone = m_finished = false;
    m_badPackets = 0;
    m_skipUntil = seconds;
    m_position = seconds;
    return true;
}

} // namespace vell

#include "resources/SoundInstance.h"

#include "engine/Engine.h"
#include "resources/ResourceManager.h"
#include "resources/Sound.h"

#include <AL/alc.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// How much a streamed voice decodes per buffer, how many buffers it keeps
// queued and how often its thread looks at the queue: one second of sound
// ahead, checked eight times a second.
constexpr double kBufferSeconds = 0.25;
constexpr ALint kQueuedBuffers = 4;
constexpr Uint32 kServicePeriodMs = 125;

} // namespace

bool openOggFile(const std::string& filename, OggVorbis_File* decoder)
{
    FILE* file = std::fopen(filename.c_str(), "rb");
    if (!file)
        return false;
    // On success the decoder owns the file; on failure it is still ours.
    if (ov_open(file, decoder, nullptr, 0) != 0) {
        std::fclose(file);
        return false;
    }
    return true;
}

long readOgg(OggVorbis_File* decoder, char* data, int length)
{
    int bitstream = 0;
    return ov_read(decoder, data, length, 0, 2, 1, &bitstream);
}

SoundInstance::SoundInstance(Sound* sound_, bool loop_, float gain, float pitch)
    : sound(sound_), streaming(sound_->isStreaming()), loop(loop_)
{
    if (!sound->isPlayable() || !alcGetCurrentContext())
        return;
    alGetError();
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) {
        source = 0;
        return;
    }
    if (streaming) {
        decoderOpen = openOggFile(sound->getFilename(), &decoder);
        if (!decoderOpen) {
            std::fprintf(stderr, "zorbel: cannot stream sound \"%s\"\n", sound->getFilename().c_str());
            alDeleteSources(1, &source);
            source = 0;
            return;
        }
    } else {
        alSourcei(source, AL_BUFFER, ALint(sound->getBuffer()));
        alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    }
    alSourcef(source, AL_GAIN, gain);
    alSourcef(source, AL_PITCH, pitch);
    play();
    // Started after the first buffer is queued, so its first pass finds a
    // playing source.
    if (streaming) {
        semaphore = SDL_CreateSemaphore(0);
        thread = SDL_CreateThread(&SoundInstance::serviceThread, this);
    }
}

SoundInstance::~SoundInstance()
{
    if (source != 0)
        stop();
}

void SoundInstance::play()
{
    if (streaming) {
        std::lock_guard<std::mutex> lock(streamLock);
        ov_time_seek(&decoder, 0.0);
        ended = false;
        flushQueue();
        fillBuffer();
    }
    alSourceRewind(source);
    alSourcePlay(source);
}

void SoundInstance::stop()
{
    if (thread) {
        SDL_SemPost(semaphore);
        SDL_WaitThread(thread, nullptr);
        thread = nullptr;
    }
    if (semaphore) {
        SDL_DestroySemaphore(semaphore);
        semaphore = nullptr;
    }
    if (source == 0)
        return;
    if (streaming)
        flushQueue();
    if (decoderOpen) {
        ov_clear(&decoder);
        decoderOpen = false;
    }
    alDeleteSources(1, &source);
    source = 0;
}

void SoundInstance::pause()
{
    if (source != 0)
        alSourcePause(source);
}

void SoundInstance::resume()
{
    if (source != 0 && sourceState() == AL_PAUSED)
        alSourcePlay(source);
}

void SoundInstance::setGain(float gain)
{
    if (source != 0)
        alSourcef(source, AL_GAIN, gain);
}

void SoundInstance::setPitch(float pitch)
{
    if (source != 0)
        alSourcef(source, AL_PITCH, pitch);
}

float SoundInstance::getGain() const
{
    ALfloat value = 0.0f;
    if (source != 0)
        alGetSourcef(source, AL_GAIN, &value);
    return value;
}

float SoundInstance::getPitch() const
{
    ALfloat value = 0.0f;
    if (source != 0)
        alGetSourcef(source, AL_PITCH, &value);
    return value;
}

void SoundInstance::setLooping(bool looping)
{
    std::lock_guard<std::mutex> lock(streamLock);
    // A queue of buffers must not loop as a whole; the stream loops by
    // seeking back when the decoder runs out.
    if (!streaming && source != 0)
        alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    loop = looping;
}

ALint SoundInstance::sourceState() const
{
    ALint state = AL_STOPPED;
    if (source != 0)
        alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

bool SoundInstance::isPlaying() const
{
    return source != 0 && sourceState() == AL_PLAYING;
}

bool SoundInstance::isPaused() const
{
    return source != 0 && sourceState() == AL_PAUSED;
}

bool SoundInstance::isEnded() const
{
    std::lock_guard<std::mutex> lock(streamLock);
    return ended;
}

void SoundInstance::flushQueue()
{
    alSourceStop(source);
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (processed > 0) {
        std::vector<ALuint> buffers(size_t(processed), 0);
        alSourceUnqueueBuffers(source, processed, buffers.data());
        alDeleteBuffers(processed, buffers.data());
    }
}

void SoundInstance::fillBuffer()
{
    std::vector<char> data;
    double remaining = kBufferSeconds;
    // Set after seeking back until data arrives: a stream that yields nothing
    // after a seek to the start would otherwise loop here forever.
    bool emptySinceSeek = false;
    for (;;) {
        char chunk[1024];
        double before = ov_time_tell(&decoder);
        long n = readOgg(&decoder, chunk, sizeof chunk);
        remaining -= ov_time_tell(&decoder) - before;
        if (n < 0) {
            ended = true;
            break;
        }
        if (n == 0) {
            if (loop && !emptySinceSeek) {
                ov_time_seek(&decoder, 0.0);
                emptySinceSeek = true;
                continue;
            }
            ended = true;
            break;
        }
        emptySinceSeek = false;
        data.insert(data.end(), chunk, chunk + n);
        if (remaining <= 0.0)
            break;
    }
    if (data.empty())
        return;
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, sound->getFormat(), data.data(), ALsizei(data.size()), sound->getFrequency());
    alSourceQueueBuffers(source, 1, &buffer);
}

int SoundInstance::serviceThread(void* instance)
{
    auto* self = static_cast<SoundInstance*>(instance);
    // Zero means `stop` posted the semaphore; a timeout means another pass is due.
    while (SDL_SemWaitTimeout(self->semaphore, kServicePeriodMs) != 0)
        self->service();
    return 0;
}

void SoundInstance::service()
{
    std::lock_guard<std::mutex> lock(streamLock);
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (processed > 0) {
        std::vector<ALuint> buffers(size_t(processed), 0);
        alSourceUnqueueBuffers(source, processed, buffers.data());
        alDeleteBuffers(processed, buffers.data());
    }
    // A stopped source is the main thread's to restart.
    ALint state = sourceState();
    if (state != AL_PLAYING && state != AL_PAUSED)
        return;
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    for (; queued < kQueuedBuffers && !ended; ++queued)
        fillBuffer();
}

bool SoundInstance::update()
{
    if (source == 0)
        return false;
    if (sourceState() == AL_STOPPED) {
        if (!streaming) {
            stop();
            return false;
        }
        bool finished;
        {
            std::lock_guard<std::mutex> lock(streamLock);
            finished = ended;
            if (!finished) {
                // The queue ran dry before the data did.
                flushQueue();
                fillBuffer();
                alSourcePlay(source);
            }
        }
        if (finished) {
            stop();
            return false;
        }
    }
    if (fading) {
        if (sourceState() != AL_PLAYING)
            return true;
        fadeElapsed += sound->getManager()->getEngine()->getFrameTime();
        if (fadeElapsed >= fadeDuration) {
            setGain(targetGain);
            setPitch(targetPitch);
            fading = false;
            if (fadeEnd == FE_PAUSE) {
                alSourcePause(source);
            } else if (fadeEnd == FE_STOP) {
                alSourceStop(source);
                stop();
                return false;
            }
            return true;
        }
        float s = std::pow(fadeElapsed / fadeDuration, fadeExponent);
        setGain(startGain * (1.0f - s) + targetGain * s);
        setPitch(startPitch * (1.0f - s) + targetPitch * s);
    }
    return true;
}

void SoundInstance::fade(float gain, float pitch, float duration, float exponent, FadeEnd end)
{
    startGain = getGain();
    startPitch = getPitch();
    targetGain = gain;
    targetPitch = pitch;
    fadeDuration = duration;
    fadeExponent = exponent;
    fadeEnd = end;
    fadeElapsed = 0.0f;
    fading = true;
}

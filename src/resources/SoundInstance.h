#pragma once

#include "engine/NonCopyable.h"
#include "resources/ReferenceCounted.h"

#include <AL/al.h>
#include <SDL.h>
#include <SDL_thread.h>

// The library's static callback tables are unused here and would warn in every file.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <mutex>
#include <string>

class Sound;

/// What a voice does when its fade has reached the target.
enum FadeEnd : int32_t {
    FE_NONE = 0,  ///< keeps playing at the target gain and pitch
    FE_PAUSE = 1, ///< pauses and stays alive
    FE_STOP = 2,  ///< stops; the voice is finished
};

/// Opens `filename` as an Ogg Vorbis stream into `decoder`; false (and nothing
/// left open) when the file cannot be read or is not Ogg Vorbis.
bool openOggFile(const std::string& filename, OggVorbis_File* decoder);
/// Decodes up to `length` bytes of 16-bit little-endian signed PCM; 0 at the
/// end of the stream, negative on a decoding error.
long readOgg(OggVorbis_File* decoder, char* data, int length);

/// One playback of a `Sound` on its own OpenAL source, with gain, pitch,
/// looping and an optional fade. A voice of a streamed sound decodes the file
/// itself and keeps about a second of it queued from a service thread.
///
/// A voice without a source (stopped, or started without an audio device or
/// from an unusable sound) is inert: every call is harmless and it never plays.
/// Main thread only, apart from the service thread's refills.
class SoundInstance : NonCopyable, public ReferenceCounted {
public:
    /// Starts playing at once. The new voice has one reference, for its creator.
    SoundInstance(Sound* sound, bool loop, float gain, float pitch);
    /// Stops the voice if it still has a source.
    ~SoundInstance() override;

    /// Ends playback for good: joins the service thread, frees the source and the decoder.
    void stop();
    void pause();
    /// Plays a paused voice on from where it stood; other voices are left as they are.
    void resume();
    void setGain(float gain);
    void setPitch(float pitch);
    /// Current gain; 0 without a source.
    float getGain() const;
    /// Current pitch; 0 without a source.
    float getPitch() const;
    /// A streamed voice applies the flag when it reaches the end of its data.
    void setLooping(bool loop);
    bool isLooping() const { return loop; }

    /// False once the voice has been stopped, or when it never got a source.
    bool isValid() const { return source != 0; }
    bool isPlaying() const;
    bool isPaused() const;
    /// A streamed, non-looping voice has decoded its last data.
    bool isEnded() const;
    /// The OpenAL source; 0 when inert.
    ALuint getSource() const { return source; }
    /// The sound this voice plays.
    Sound* getSound() const { return sound; }

    /// Moves gain and pitch from their current values to the targets over
    /// `duration` seconds of game time, along (elapsed / duration)^`exponent`;
    /// `end` says what happens at the target. Replaces a running fade.
    void fade(float targetGain, float targetPitch, float duration, float exponent, FadeEnd end);
    /// Per-tick work: restarts a stream that ran dry, advances the fade, stops a
    /// voice that has played out. False when the voice is finished.
    bool update();

private:
    static int serviceThread(void* instance);
    void play();
    void service();
    /// The caller holds `streamLock`.
    void flushQueue();
    /// The caller holds `streamLock`.
    void fillBuffer();
    ALint sourceState() const;

    Sound* sound;
    ALuint source = 0;
    bool streaming = false;
    bool loop = false;
    bool ended = false;
    OggVorbis_File decoder{};
    bool decoderOpen = false;
    SDL_Thread* thread = nullptr;
    SDL_sem* semaphore = nullptr;
    // The service thread and the main thread's underrun restart both touch
    // the decoder, the buffer queue, `ended` and `loop`.
    mutable std::mutex streamLock;
    bool fading = false;
    float startGain = 0.0f;
    float startPitch = 0.0f;
    float targetGain = 0.0f;
    float targetPitch = 0.0f;
    float fadeDuration = 0.0f;
    float fadeElapsed = 0.0f;
    float fadeExponent = 0.0f;
    FadeEnd fadeEnd = FE_NONE;
};

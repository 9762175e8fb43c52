#pragma once

#include "resources/Handle.h"
#include "resources/Resource.h"
#include "resources/SoundInstance.h"

#include <AL/al.h>

#include <list>
#include <string>

/// An Ogg Vorbis file. Short sounds are decoded whole into one OpenAL buffer at
/// load; a sound loaded with "streaming" true (music) is only probed here and
/// each of its voices decodes the file itself while it plays.
///
/// A sound whose file is missing or not Ogg Vorbis, or that was loaded without
/// an audio device, plays inert voices: `play` still returns an instance, which
/// is not valid and never plays.
class Sound : public Resource {
public:
    /// Loads `filename` ("" when no data directory holds it; the cache has said so already).
    Sound(const std::string& filename, ResourceManager* manager, const ParameterMap& parameters);
    /// Stops every voice and frees the buffer.
    ~Sound() override;

    /// Starts a new voice at once. The sound keeps its own handle to the voice
    /// until it has finished, so callers may drop theirs.
    Handle<SoundInstance> play(bool loop = false, float gain = 1.0f, float pitch = 1.0f);
    /// Per-tick work of every voice; forgets the ones that have finished.
    void update();

    /// The whole decoded sound; 0 for a streamed or unusable sound.
    ALuint getBuffer() const { return buffer; }
    /// AL_FORMAT_MONO16 or AL_FORMAT_STEREO16.
    ALenum getFormat() const { return format; }
    /// Samples per second.
    int getFrequency() const { return frequency; }
    /// Length in seconds.
    double getDuration() const { return duration; }
    bool isStreaming() const;
    /// True when voices of this sound can actually be heard.
    bool isPlayable() const { return playable; }
    /// Voices that have not finished yet.
    const std::list<Handle<SoundInstance>>& getInstances() const { return instances; }

private:
    ALuint buffer = 0;
    ALenum format = 0;
    int frequency = 0;
    double duration = 0.0;
    bool playable = false;
    std::list<Handle<SoundInstance>> instances;
};

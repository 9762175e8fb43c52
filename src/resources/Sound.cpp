#include "resources/Sound.h"

#include <AL/alc.h>

#include <cstdio>
#include <vector>

Sound::Sound(const std::string& filename, ResourceManager* manager, const ParameterMap& parameters)
    : Resource(filename, manager, parameters)
{
    // An empty name was reported by the cache already.
    if (filename.empty())
        return;
    OggVorbis_File decoder;
    if (!openOggFile(filename, &decoder)) {
        std::fprintf(stderr, "zorbel: cannot read sound \"%s\": not an Ogg Vorbis file\n", filename.c_str());
        return;
    }
    const vorbis_info* info = ov_info(&decoder, -1);
    // OpenAL has 16-bit formats for one and two channels only; more would be
    // heard as garbled, slowed stereo.
    if (info->channels > 2) {
        std::fprintf(stderr, "zorbel: cannot play sound \"%s\": %d channels, only mono and stereo are played\n",
                     filename.c_str(), info->channels);
        ov_clear(&decoder);
        return;
    }
    format = info->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    frequency = int(info->rate);
    duration = ov_time_total(&decoder, -1);

    bool hasAudio = alcGetCurrentContext() != nullptr;
    if (isStreaming()) {
        playable = hasAudio;
    } else {
        std::vector<char> pcm;
        char chunk[1024];
        long n;
        while ((n = readOgg(&decoder, chunk, sizeof chunk)) > 0)
            pcm.insert(pcm.end(), chunk, chunk + n);
        if (n < 0)
            std::fprintf(stderr, "zorbel: decoding error in sound \"%s\"; the rest is cut off\n", filename.c_str());
        if (hasAudio) {
            alGetError();
            alGenBuffers(1, &buffer);
            if (alGetError() == AL_NO_ERROR) {
                alBufferData(buffer, format, pcm.data(), ALsizei(pcm.size()), frequency);
                playable = true;
            } else {
                buffer = 0;
            }
        }
    }
    ov_clear(&decoder);
}

Sound::~Sound()
{
    instances.clear();
    if (buffer != 0)
        alDeleteBuffers(1, &buffer);
}

bool Sound::isStreaming() const
{
    return getParameters().get<bool>("streaming");
}

Handle<SoundInstance> Sound::play(bool loop, float gain, float pitch)
{
    Handle<SoundInstance> instance(new SoundInstance(this, loop, gain, pitch), AdoptRef{});
    if (instance->isValid())
        instances.push_back(instance);
    return instance;
}

void Sound::update()
{
    for (auto it = instances.begin(); it != instances.end();) {
        if ((*it)->update())
            ++it;
        else
            it = instances.erase(it);
    }
}

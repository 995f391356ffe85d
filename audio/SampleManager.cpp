#include "audio/SampleManager.h"

#include "audio/SoundEngine.h"
#include "audio/StreamingSample.h"
#include "framework/Debug.h"
#include "framework/Serializer.h"

#include <algorithm>
#include <cstring>

SampleManager::SampleManager() = default;

SampleManager::~SampleManager()
{
    // Voices point at our instances: they give them back before the instances go.
    if (SoundEngine::Exists())
        SoundEngine::Instance()->ReleaseVoiceSamples();
    // Samples stop before the device closes.
    m_samples.clear();
    m_instances.clear();
    m_device.reset();
}

void SampleManager::CreateLoaders()
{
    DebugTrace("Registered Sample Loading types\n");
    for (const auto& entry : SampleLoaderRegistry::Get())
        DebugTrace("%s\n", entry.first.c_str());
    DebugTrace("Registered Sample Stream types\n");
    for (const auto& entry : SampleStreamRegistry::Get())
        DebugTrace("%s\n", entry.first.c_str());
    m_loaders.clear();
    for (const auto& entry : SampleLoaderRegistry::Get())
        m_loaders.emplace_back(entry.second());
}

bool SampleManager::Initialise()
{
    std::unique_ptr<platform::SoundDevice> device;
    const platform::SoundResult result = platform::SoundDevice::Open(&device);
    if (result != platform::kSoundOk) {
        CreateLoaders();
        LogError("SampleManager: DirectSoundCreate (%x)\n", unsigned(result));
        return false;
    }
    return Initialise(std::move(device));
}

bool SampleManager::Initialise(std::unique_ptr<platform::SoundDevice> device)
{
    CreateLoaders();
    m_device = std::move(device);
    m_initialised = m_device != nullptr;
    return m_initialised;
}

std::unique_ptr<Sample> SampleManager::Load(const std::string& name, const std::string& file, int flags)
{
    if (!SoundEngine::Instance()->IsEnabled())
        return nullptr;
    if (flags & kSampleStreamed)
        return LoadStreamed(name, file, flags);
    for (auto& loader : m_loaders) {
        if (!loader->CanLoad(file))
            continue;
        WaveData wave;
        if (!loader->Load(file, wave))
            break;
        Resample(wave);
        auto buffer = CreateSoundBuffer(wave, flags);
        return std::make_unique<Sample>(name, file, flags, std::move(buffer));
    }
    LogError("SampleManager::Load could not load filename %s\n", file.c_str());
    return std::make_unique<Sample>(name, file, flags, nullptr);
}

std::unique_ptr<StreamingSample> SampleManager::LoadStreamed(const std::string& name, const std::string& file,
                                                             int flags)
{
    if (!SoundEngine::Instance()->IsEnabled())
        return nullptr;
    std::unique_ptr<SampleStream> stream;
    WaveData wave;
    for (const auto& entry : SampleStreamRegistry::Get()) {
        std::unique_ptr<SampleStream> candidate(entry.second());
        if (candidate && candidate->CanOpen(file) && candidate->Open(file, wave)) {
            stream = std::move(candidate);
            break;
        }
    }
    if (!stream || wave.frequency <= 0 || wave.channels <= 0 || wave.bits <= 0) {
        LogError("SampleManager::Load could not load filename %s\n", file.c_str());
        return nullptr;
    }
    // One second of silence, refilled while it plays.
    wave.frames = wave.frequency;
    wave.data.clear();
    auto buffer = CreateSoundBuffer(wave, flags);
    return std::make_unique<StreamingSample>(name, file, flags, std::move(buffer), std::move(stream));
}

bool SampleManager::LoadEffectSamples(const std::string& name, const std::string& file, int flags)
{
    if (!SoundEngine::Instance()->IsEnabled())
        return false;
    std::unique_ptr<Sample> first = Load(name, file, flags);
    if (!first) {
        LogError("SampleManager::Load could not load filename %s\n", file.c_str());
        return false;
    }
    platform::SoundBuffer* buffer = first->GetBuffer();
    Sample* stored = first.get();
    m_instances.emplace(name, std::move(first));
    if (!m_samples.count(name))
        m_samples[name] = stored;
    if (name == "exhausted")
        return true;
    if (!buffer) {
        // Nothing to duplicate: the effect keeps its one silent sample.
        LogWarning("SampleManager::LoadEffectSamples: <%s> has no sound buffer and stays silent\n",
                   name.c_str());
        return true;
    }
    for (int i = 1; i < kInstancesPerEffect; ++i) {
        std::unique_ptr<platform::SoundBuffer> copy;
        const platform::SoundResult result = m_device ? m_device->DuplicateBuffer(buffer, &copy)
                                                      : platform::kSoundNoDevice;
        if (result != platform::kSoundOk) {
            LogError("SampleManager::DuplicateSoundBuffer: %x\n", unsigned(result));
            break;
        }
        m_instances.emplace(name, std::make_unique<Sample>(name, file, flags, std::move(copy)));
    }
    return true;
}

Sample* SampleManager::FindSample(const std::string& name) const
{
    auto it = m_samples.find(name);
    return it == m_samples.end() ? nullptr : it->second;
}

Sample* SampleManager::GetFreeInstance(const std::string& name)
{
    if (name.empty())
        return nullptr;
    auto range = m_instances.equal_range(name);
    if (range.first == range.second)
        return nullptr;
    for (auto it = range.first; it != range.second; ++it) {
        if (!it->second->IsPlaying())
            return it->second.get();
    }
    Sample* stolen = range.first->second.get();
    stolen->Stop();
    return stolen;
}

int SampleManager::CountInstances(const std::string& name) const
{
    return int(m_instances.count(name));
}

void SampleManager::Resample(WaveData& wave)
{
    if (wave.bits != 16) {
        LogWarning("SampleManager::Resample not 16bit samples\n");
        return;
    }
    if (wave.channels <= 0)
        return;
    // Never trust the frame count beyond the bytes present.
    int frames = std::min(wave.frames, wave.Size() / (2 * wave.channels));
    auto sampleAt = [&wave](int index) {
        int16_t v;
        std::memcpy(&v, wave.data.data() + size_t(index) * 2, 2);
        return v;
    };
    auto store = [&wave](int index, int16_t v) { std::memcpy(wave.data.data() + size_t(index) * 2, &v, 2); };

    if (wave.channels == 2) {
        for (int i = 0; i < frames; ++i)
            store(i, int16_t((int(sampleAt(2 * i)) + int(sampleAt(2 * i + 1))) / 2));
        wave.channels = 1;
    }
    if (wave.frequency > 22100) {
        const int channels = wave.channels;
        for (int i = 0; i < frames / 2; ++i)
            for (int c = 0; c < channels; ++c)
                store(i * channels + c, sampleAt(2 * i * channels + c));
        frames /= 2;
        wave.frequency /= 2;
    }
    wave.frames = frames;
    wave.data.resize(size_t(frames) * 2 * size_t(wave.channels));
}

std::unique_ptr<platform::SoundBuffer> SampleManager::CreateSoundBuffer(const WaveData& wave, int flags)
{
    if (!SoundEngine::Instance()->IsEnabled())
        return nullptr;
    platform::SoundBufferDesc desc;
    if (flags & kSampleVolumeControl)
        desc.flags |= platform::kSoundCtrlVolume;
    if (flags & kSampleFrequencyControl)
        desc.flags |= platform::kSoundCtrlFrequency;
    desc.bytes = uint32_t(std::max(0, wave.frames)) * uint32_t(std::max(0, wave.channels)) *
                 uint32_t(std::max(0, wave.bits) / 8);
    desc.format.rate = wave.frequency;
    desc.format.channels = wave.channels;
    desc.format.bits = wave.bits;

    std::unique_ptr<platform::SoundBuffer> buffer;
    platform::SoundResult result =
        m_device ? m_device->CreateBuffer(desc, &buffer) : platform::kSoundNoDevice;
    if (result != platform::kSoundOk) {
        LogError("SampleManager::CreateSoundBuffer: %x\n", unsigned(result));
        return nullptr;
    }
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0;
    uint32_t n2 = 0;
    result = buffer->Lock(0, 0, &p1, &n1, &p2, &n2, platform::kSoundLockEntireBuffer);
    if (result != platform::kSoundOk) {
        LogError("SampleManager::Lock: %x\n", unsigned(result));
        return nullptr;
    }
    // Streams start from silence; the buffer is created silent.
    const size_t have = wave.data.size();
    if (have) {
        std::memcpy(p1, wave.data.data(), std::min<size_t>(n1, have));
        if (p2 && have > n1)
            std::memcpy(p2, wave.data.data() + n1, std::min<size_t>(n2, have - n1));
    }
    result = buffer->Unlock(p1, n1, p2, n2);
    if (result != platform::kSoundOk) {
        LogError("SampleManager::Unlock: %x\n", unsigned(result));
        return nullptr;
    }
    return buffer;
}

void SampleManager::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Sample Manager", descriptor);
    serializer.EndSection();
    if (serializer.IsReading() && SoundEngine::Instance()->IsEnabled())
        SoundEngine::Instance()->RefreshVoices();
}

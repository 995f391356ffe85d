#include "audio/SfxLoaderUtil.h"

#include "audio/AudioEvent.h"
#include "audio/SampleManager.h"
#include "audio/SoundEngine.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/StringUtil.h"

#include <vector>

namespace {

constexpr int kEffectFlags = kSampleVolumeControl | kSampleFrequencyControl;

std::vector<std::string> SplitWords(const char* line)
{
    std::string text(line);
    const size_t lineBreak = text.find_first_of("\r\n");
    if (lineBreak != std::string::npos)
        text.resize(lineBreak);
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            break;
        size_t end = text.find_first_of(" \t", start);
        if (end == std::string::npos)
            end = text.size();
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

void LoadSample(const std::string& sampleName, const std::string& file)
{
    SampleManager* manager = SampleManager::Instance();
    if (!manager->FindSample(sampleName))
        manager->LoadEffectSamples(sampleName, file, kEffectFlags);
}

void AddToCast(Cast* cast, AudioEvent* event, const std::string& name, int index)
{
    if (cast && event)
        cast->AddMember(event, FormatString("%s_%02d", name.c_str(), index).c_str(), false);
}

}  // namespace

void SfxLoaderUtil::LoadSoundEffects(const std::string& definitionFile, const std::string& dataFolder)
{
    FileSystem* files = FileSystem::Instance();
    File* file = files->OpenRead(definitionFile.c_str());
    if (!file) {
        LogWarning("SfxLoaderUtil::LoadSoundEffects: Failed to open <%s>!\n", definitionFile.c_str());
        return;
    }
    SoundEngine* engine = SoundEngine::Instance();
    Cast* cast = CastManager::Instance()->CreateCast("soundevents");

    char line[4096];
    while (file->ReadLine(line, sizeof(line))) {
        if (line[0] == '#')
            continue;
        const std::vector<std::string> words = SplitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        const std::string& name = words[0];
        const int count = int(words.size()) - 1;
        if (count == 0) {
            LogWarning("SfxLoaderUtil::LoadSoundEffects: <%s> names no sample file in <%s>\n", name.c_str(),
                       definitionFile.c_str());
            continue;
        }
        if (count == 1) {
            AudioEvent event;
            event.sampleName = "sample_" + name;
            LoadSample(event.sampleName, dataFolder + words[1]);
            AddToCast(cast, engine->AddAudioEvent(name, event), name, 0);
            continue;
        }
        std::vector<AudioEvent> variants(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            variants[size_t(i)].sampleName = "sample_" + name + std::to_string(i);
            LoadSample(variants[size_t(i)].sampleName, dataFolder + words[size_t(i) + 1]);
        }
        if (!engine->AddAudioEvent(name, variants.data(), count))
            continue;
        // Only the variants stored just now: a name already taken stays as it was.
        const std::vector<std::string>* stored = engine->GetAlias(name);
        for (int i = 0; stored && i < count; ++i) {
            const std::string variant = name + std::to_string(i);
            for (const std::string& storedName : *stored)
                if (storedName == variant)
                    AddToCast(cast, engine->GetAudioEvent(variant), name, i);
        }
    }
    files->Close(file);
}

#pragma once

// A game state that records the browser's events with their parameters, and casts made in
// code that are emptied again at the end of the test.

#include "editor/ObjectsBrowserEvents.h"
#include "framework/Cast.h"
#include "framework/GameState.h"
#include "framework/MainProgram.h"
#include "framework/Object.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

struct RecordedEvent {
    std::string event;
    const Object* object = nullptr;
    std::string text;
    bool operator==(const RecordedEvent&) const = default;
};

struct RecordingGame : GameState {
    int HandleEvent(const char* event, intptr_t a, intptr_t b) override
    {
        RecordedEvent recorded{event, nullptr, ""};
        if (std::strcmp(event, browser_events::kCreateGameElement) == 0) {
            recorded.text = reinterpret_cast<const char*>(a);
        } else {
            recorded.object = reinterpret_cast<const Object*>(a);
            if (b && std::strcmp(event, browser_events::kObjectUpdated) != 0)
                recorded.text = reinterpret_cast<const char*>(b);
        }
        events.push_back(recorded);
        if (onEvent)
            onEvent(recorded);
        return answer;
    }
    std::vector<RecordedEvent> events;
    std::function<void(const RecordedEvent&)> onEvent;
    int answer = 1;
};

// Pushes the recorder as the program's top state; the program deletes it.
struct GameScope {
    RecordingGame* game = new RecordingGame();
    GameScope()
    {
        MainProgram::Instance()->PushState(game);
        MainProgram::Instance()->Update(0.0f);
    }
    ~GameScope()
    {
        MainProgram::Instance()->Exit();
        CastManager::Instance()->DeleteAll();
    }
};

// An object named as given, added to the cast and owned by it.
inline Object* AddNamed(const char* cast, const char* name)
{
    Object* object = new Object();
    CastManager::Instance()->CreateCast(cast)->AddMember(object, name, true);
    return object;
}

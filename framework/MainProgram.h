#pragma once

#include "framework/Singleton.h"

#include <cstdint>
#include <string>
#include <vector>

class GameState;

// Owns the stack of game states and starts the game.
class MainProgram : public Singleton<MainProgram> {
public:
    using CoreSingletonCreator = void (*)();

    MainProgram() = default;
    ~MainProgram() override;

    // Higher layers add the singletons of theirs that must exist before the first
    // state runs; Init calls them in the order added. Safe before main().
    static void AddCoreSingletonCreator(CoreSingletonCreator creator);

    // Creates the core singletons, loads "data\pc\config.txt" (the shell unloads all
    // settings before) under the test configuration that TB_TEST_CONFIG names, if set,
    // registers the aliases "<PP>" and "<TP>" and requests the state "Game" + Project.
    // False when that state is not registered.
    bool Init();

    // Requests are carried out at the start of the next Update, in the order made.
    void PushState(GameState* state);
    void PopState();
    void PopAndPushState(GameState* state);

    // Carries out the pending requests, then updates the top state.
    void Update(float t);
    void Render();
    // The top state's answer; 0 with an empty stack.
    int HandleEvent(const char* event, intptr_t a, intptr_t b);
    // Pops every state (exit, delete) and drops pending requests.
    void Exit();

    bool HasCurrentState() const { return !m_stack.empty(); }
    GameState* GetCurrentState() const { return m_stack.empty() ? nullptr : m_stack.back(); }

    const std::string& GetProjectName() const { return m_project; }
    const std::string& GetProjectPath() const { return m_projectPath; }
    // "TextureSet" followed by a backslash: the folder "<TP>" stands for.
    const std::string& GetTextureSetPath() const { return m_textureSetPath; }
    // Changes the folder and re-registers "<TP>" for it.
    void SetTextureSetPath(const std::string& folder);

private:
    struct Request {
        bool pop;
        GameState* push;
    };
    static std::vector<CoreSingletonCreator>& CoreSingletonCreators();
    void Push(GameState* state);
    void Pop();

    std::vector<GameState*> m_stack;  // back = top
    std::vector<Request> m_requests;
    std::string m_project;
    std::string m_projectPath;
    std::string m_textureSetPath;
};

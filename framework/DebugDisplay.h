#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <string>
#include <utility>
#include <vector>

// Named debug switches ("Display Menu Boxes") and the hook that draws debug output.
// Its property table holds one bool per option, so switches set in the editor or in
// a settings file persist.
class DebugDisplay : public Object, public Singleton<DebugDisplay> {
public:
    DebugDisplay() = default;
    ~DebugDisplay() override = default;

    // True when the option is on; an option asked for the first time is added, off.
    bool CheckOption(const char* name);
    // Adds the option when it is new.
    void SetOption(const char* name, bool on);
    // Forgets every option.
    void Clear();
    // Called once per frame by the game state's render; nothing is drawn yet.
    void Render();

    void Serialize(Serializer& serializer, const char* descriptor) override;

    const std::vector<std::pair<std::string, bool>>& GetOptions() const { return m_options; }

private:
    bool* Find(const char* name);

    // In the order first asked, which is the order of the property table.
    std::vector<std::pair<std::string, bool>> m_options;
};

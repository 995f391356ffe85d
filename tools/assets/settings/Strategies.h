#pragma once

#include <memory>
#include <vector>

class Cast;
class TeamStrategy;

namespace assets {

// Fills the eighteen team strategies of the default data and adds them to the cast under
// their member names ("Strategies|<name>"), in creation order. The cast borrows them: the
// caller keeps them in the list until the cast is written.
void AddStrategies(Cast& cast, std::vector<std::unique_ptr<TeamStrategy>>& strategies);

}  // namespace assets

#pragma once

#include <string>
#include <vector>

// Helpers of the tests that start the program.
namespace testrun {

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
// The position of each line in the log, in the order given; fails the test when one is
// missing or they are out of order.
void ExpectInOrder(const std::string& log, const std::vector<std::string>& lines);
// A fresh folder under the working folder.
std::string MakeFolder(const std::string& name);

}  // namespace testrun

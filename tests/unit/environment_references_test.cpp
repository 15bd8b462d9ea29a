// %NAME% references expanded as the Windows environment functions expand them.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "platform/environment_references.h"

namespace embark {
namespace {

TEST(EnvironmentReferencesTest, ExpandsDefinedNamesAndKeepsEverythingElse) {
    const std::map<std::string, std::string> variables{
        {"A", "x"}, {"B", "y"}, {"TEMP", "C:\\Temp"}, {"P", "%B%"}, {"EMPTY", ""}};
    const VariableLookup lookup = [&](const std::string& name) -> std::optional<std::string> {
        auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"no references", "no references"},
        {"%TEMP%\\app", "C:\\Temp\\app"},
        {"-D%A%=%B%", "-Dx=y"},
        {"%A%%B%", "xy"},                    // adjacent references
        {"[%EMPTY%]", "[]"},                 // defined but empty
        {"%NOPE%", "%NOPE%"},                // undefined: kept with both percents
        {"%NOPE%%A%", "%NOPE%x"},            // scanning goes on after it
        {"%NOPE%A%", "%NOPE%A%"},            // its closing percent opens nothing
        {"%%", "%%"},                        // no name
        {"100%% %A%", "100%% x"},
        {"50% off", "50% off"},              // a lone percent
        {"%abc", "%abc"},                    // never closed
        {"%A%%abc", "x%abc"},
        {"%P%", "%B%"},                      // a value is not expanded again
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(expand_references(text, lookup), expected) << text;
    }
}

} // namespace
} // namespace embark

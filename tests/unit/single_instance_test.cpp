#include <gtest/gtest.h>

#include "fake_system.h"
#include "modes/single_instance.h"

namespace embark {
namespace {

using testing::Strings;
using Delivery = platform::InstanceChannel::Delivery;
using Kind = platform::InstanceAnswer::Kind;

TEST(SingleInstanceTest, ArgumentAreaNameAndExitCode) {
    const std::string full(1038, 'x'), pair(1036, 'y');
    const std::pair<Strings, std::optional<Strings>> cases[] = {{{}, Strings{""}}, {{"a", "", "b"}, Strings{"a"}},
        {{"", "b"}, Strings{"", "b"}}, {{full}, Strings{full}}, {{full + "x"}, std::nullopt},
        {{"a", pair}, Strings{"a", pair}}, {{"a", pair + "y"}, std::nullopt}};
    for (const auto& [arguments, expected] : cases) {
        const std::optional<std::string> area = encode_argument_area(arguments);
        EXPECT_EQ(area ? std::optional(decode_argument_area(*area)) : std::nullopt, expected) << arguments.size();
        EXPECT_EQ(area.value_or(std::string(1040, '-')).size(), 1040u);
    }
    EXPECT_EQ(decode_argument_area(std::string(1040, 'z')), Strings{}); // an argument without its end is dropped
    EXPECT_EQ(instance_name("C:\\APPS\\\x83\\x.EXE"), "C:_APPS_\x83_x.EXE"); // byte by byte, letter case kept
    const std::pair<platform::InstanceAnswer, int> answers[] = {{{Kind::reply, 4294967294u}, -2},
        {{Kind::first_instance_ended, 42}, 42}, {{Kind::first_instance_unreachable, 7}, 0}, {{Kind::lost, 7}, -1}};
    for (const auto& [answer, code] : answers) EXPECT_EQ(exit_code_for(answer), code);
    struct Settings { const char* application_type; const char* single_instance; bool on; };
    const Settings settings[] = {{"", "yes", true}, {"", "Yes", false}, {"", "1", false}, {"service", "yes", false},
                                 {"Service", "yes", true}};
    for (const auto& [type, single, on] : settings) EXPECT_EQ(single_instance_requested({type, single}), on) << single;
}

// Deliveries give the scripted outcomes, the last one over and over.
struct Scripted final : platform::InstanceChannels {
    std::vector<Delivery> script;
    bool first = false, refuse = false;
    size_t deliveries = 0, pauses = 0;
    struct Channel final : platform::InstanceChannel {
        Scripted& s;
        explicit Channel(Scripted& s) : s(s) {}
        Delivery deliver(const std::string&) override { return s.script[std::min(s.deliveries++, s.script.size() - 1)]; }
        void pause_before_retry() override { ++s.pauses; }
        platform::InstanceAnswer wait_for_answer() override { return {Kind::lost}; }
    };
    std::unique_ptr<platform::InstanceChannel> open(const std::string&, size_t, Serve, bool& first_instance) override {
        return first_instance = first, refuse ? nullptr : std::make_unique<Channel>(*this);
    }
};

TEST(SingleInstanceTest, ALaterStartRetriesABoundedTimeWhileTheFirstIsStarting) {
    const Delivery wait = Delivery::not_ready, done = Delivery::delivered, failed = Delivery::failed;
    struct Case { std::vector<Delivery> script; size_t argument_size = 1; bool first = false, refused = false;
                  bool passed = false; size_t deliveries = 0, pauses = 0; }; // refused: the gate goes off
    const Case cases[] = {{.script = {wait, wait, wait, done}, .passed = true, .deliveries = 4, .pauses = 3},
        {.script = {failed}, .deliveries = 1}, {.script = {wait}, .deliveries = 200, .pauses = 199},
        {.script = {done}, .argument_size = 1039}, {.script = {done}, .first = true, .passed = true},
        {.script = {done}, .refused = true, .passed = true}};
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        testing::FakeSystem fake;
        Scripted channels;
        channels.script = c.script, channels.first = c.first, channels.refuse = c.refused, fake.system.instances = &channels;
        SingleInstanceGate gate;
        EXPECT_EQ(gate_check(fake.system, {"", "yes"}, {std::string(c.argument_size, 'a')},
                             std::make_shared<MachinePresence>(), gate), c.passed);
        EXPECT_EQ(gate.active, !c.refused);
        EXPECT_EQ(gate.first_instance, c.first && !c.refused);
        EXPECT_EQ(channels.deliveries, c.deliveries);
        EXPECT_EQ(channels.pauses, c.pauses);
    }
}

} // namespace
} // namespace embark

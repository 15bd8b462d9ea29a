// The modes' portable logic. The single-instance gate: argument area, instance name, exit code, delivery while
// starting. Service operation against a scripted service host: the status reports, a failed start (also one before
// the service runs), the arguments, the controls, a start from a console.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/driver.h"
#include "modes/service.h"
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
    const std::tuple<const char*, const char*, bool> settings[] = {{"", "yes", true}, {"", "Yes", false},
        {"", "1", false}, {"service", "yes", false}, {"Service", "yes", true}};
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
        Delivery deliver(const std::string&) override {
            return s.script[std::min(s.deliveries++, s.script.size() - 1)];
        }
        void pause_before_retry() override { ++s.pauses; }
        platform::InstanceAnswer wait_for_answer() override { return {Kind::lost}; }
    };
    std::unique_ptr<platform::InstanceChannel> open(const std::string&, size_t, Serve, bool& first_instance) override {
        return first_instance = first, refuse ? nullptr : std::make_unique<Channel>(*this);
    }
};

TEST(SingleInstanceTest, ALaterStartRetriesABoundedTimeWhileTheFirstIsStarting) {
    const Delivery wait = Delivery::not_ready, done = Delivery::delivered, failed = Delivery::failed;
    // script, argument size, first instance, refused (the gate goes off), passed, deliveries, pauses
    const std::tuple<std::vector<Delivery>, size_t, bool, bool, bool, size_t, size_t> cases[] = {
        {{wait, wait, wait, done}, 1, false, false, true, 4, 3}, {{failed}, 1, false, false, false, 1, 0},
        {{wait}, 1, false, false, false, 200, 199}, {{done}, 1039, false, false, false, 0, 0},
        {{done}, 1, true, false, true, 0, 0}, {{done}, 1, false, true, true, 0, 0}};
    for (const auto& [script, size, first, refuse, passed, deliveries, pauses] : cases) {
        testing::FakeSystem fake;
        Scripted channels;
        channels.script = script, channels.first = first, channels.refuse = refuse, fake.system.instances = &channels;
        SingleInstanceGate gate;
        EXPECT_EQ(gate_check(fake.system, {"", "yes"}, {std::string(size, 'a')}, std::make_shared<MachinePresence>(),
                             gate), passed);
        EXPECT_EQ(std::make_tuple(gate.active, gate.first_instance, channels.deliveries, channels.pauses),
                  std::make_tuple(!refuse, first && !refuse, deliveries, pauses));
    }
}

using Control = platform::ServiceControl;
// late: "other" while main runs, and a stop after it
constexpr Control stop = Control::stop, other = Control::other, late = Control(99);
using Status = std::pair<platform::ServiceState, uint32_t>; // and the wait hint

// Runs the service's main at once on the dispatching thread; the run step sends the scripted controls.
struct ScriptedHost final : platform::ServiceHost {
    Dispatch outcome = Dispatch::served;
    bool registers = true, reports = true, late_stop = false;
    std::string name = "tool.exe";
    std::vector<Status> reported;
    const Callbacks* callbacks = nullptr;
    Dispatch dispatch(const std::string& served_name, const Callbacks& given) override {
        callbacks = &given;
        if (outcome == Dispatch::served) given.main({"Installed Name", "p1"});
        if (outcome == Dispatch::served && late_stop) given.control(stop); // a signal after main, on POSIX
        return served_name == name ? outcome : Dispatch::failed;
    }
    bool register_control_handler(const std::string& given) override { return registers && given == name; }
    bool report(platform::ServiceState state, uint32_t wait_hint) override {
        reported.push_back({state, wait_hint});
        return reports;
    }
    void machine_ready() override {}
};

using State = platform::ServiceState;
const Status running{State::running, 0}, pending{State::stop_pending, 3000}, stopped{State::stopped, 0},
    failed{State::failed, 0}, pending_stopped{State::stopped, 3000};
using D = platform::ServiceHost::Dispatch;

TEST(ServiceTest, ReportsArgumentsControlsAndOutcome) {
    // outcome, registers, reports, run step's code, controls sent while it runs, reported, exit code, stop threads, ran
    const std::tuple<D, bool, bool, int, std::vector<Control>, std::vector<Status>, int, int, bool> cases[] = {
        {D::served, true, true, 0, {}, {running, stopped}, 0, 0, true},
        {D::served, true, true, 0, {late}, {running, running, stopped, stopped}, 0, 0, true}, // a stop after main
        {D::served, true, true, -1, {}, {running, failed}, -1, 0, true},
        {D::served, true, true, 0, {other, stop, other, stop, other},
         {running, running, pending, pending, pending, pending, pending_stopped},
         0, 2, true},
        {D::served, true, false, 0, {}, {running}, -1, 0, false},  // the first report fails: nothing runs
        {D::served, false, true, 0, {}, {}, -1, 0, false},         // no handler: nothing runs, nothing reported
        {D::not_a_service, true, true, 0, {}, {}, -1, 0, false},
        {D::failed, true, true, 0, {}, {}, -1, 0, false}};
    for (const auto& [outcome, registers, reports, code, controls, reported, exit_code, stop_threads, ran] : cases) {
        testing::FakeSystem fake;
        ScriptedHost host;
        host.outcome = outcome, host.registers = registers, host.reports = reports;
        host.late_stop = controls == std::vector<Control>{late};
        fake.system.services = &host;
        Strings arguments;
        ServiceContext context{[&](const Strings& given) {
                                   arguments = given;
                                   for (Control control : controls) host.callbacks->control(control == late ? other : control);
                                   return code;
                               },
                               std::make_shared<MachinePresence>(), "App", ""};
        ASSERT_TRUE(prepare_service(fake.system, Messages(fake.system), context));
        EXPECT_EQ(run_service_dispatcher(fake.system, Messages(fake.system), context), exit_code);
        EXPECT_EQ(host.reported, reported) << controls.size();
        EXPECT_EQ(fake.thread_starts, stop_threads);
        EXPECT_EQ(arguments, ran ? Strings({"Installed Name", "p1"}) : Strings());
        EXPECT_EQ(fake.output.find("runs as a Windows service") != std::string::npos, outcome == D::not_a_service);
    }
}

TEST(ServiceTest, AStartThatFailsBeforeTheServiceRunsIsReportedThere) {
    const std::string no_main = "Error: Main class was not specified in INI file. \n";
    const std::tuple<const char*, std::optional<std::string>, D, bool, std::string> cases[] = { // settings, reported
        {"C:\\Apps\\tool.exe", "Application Type=service", D::served, true, no_main},
        {"C:\\Apps\\tool.exe", std::nullopt, D::served, true, no_main}, // no settings: the dispatcher tells
        {"C:\\Apps\\tool", std::nullopt, D::served, true, ""},
        {"C:\\Apps\\tool.exe", std::nullopt, D::not_a_service, false, no_main}, // a console start, as ever
        {"C:\\Apps\\tool.exe", "Application Type=Service", D::served, false, no_main}}; // no service: no dispatch
    for (const auto& [executable, settings, outcome, reported, output] : cases) {
        testing::FakeSystem fake;
        ScriptedHost host;
        host.outcome = outcome, host.name = executable + 8, fake.executable = executable, fake.system.services = &host;
        if (settings) fake.put_file("C:\\Apps\\tool.ini", "[Application]\n" + *settings);
        EXPECT_EQ(run_launcher(fake.system, fake.windows), -1);
        EXPECT_EQ(host.reported, std::vector<Status>(reported, failed));
        EXPECT_EQ(fake.output, output) << executable << " " << settings.value_or("-");
    }
}

TEST(ServiceTest, TheNameIsTheExecutablesFileName) {
    testing::FakeCodePage shift_jis(true);
    const std::tuple<const char*, const char*> cases[] = {{"C:\\Apps\\tool.exe", "tool.exe"}, {"tool.exe", "tool.exe"},
                                                          {"C:\\A\x83\\b.exe", "A\x83\\b.exe"}};
    for (const auto& [path, name] : cases) EXPECT_EQ(service_name_for(path, '\\', shift_jis), name);
    testing::FakeSystem fake;
    fake.error = 5;
    ServiceContext context;
    EXPECT_FALSE(prepare_service(fake.system, Messages(fake.system), context));
    EXPECT_EQ(fake.output.rfind("Error: Windows exception: failed to get the module path (errno = 5).", 0), 0u);
}

} // namespace
} // namespace embark

#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/driver.h"
#include "modes/service.h"

namespace embark {
namespace {

using testing::Strings;
using State = platform::ServiceState;
using Status = std::pair<State, uint32_t>; // and the wait hint
using Control = platform::ServiceControl;
constexpr Control stop = Control::stop, other = Control::other, late = Control(99); // late: other, then a stop after main
using D = platform::ServiceHost::Dispatch;

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
    bool report(State state, uint32_t wait_hint) override { return reported.push_back({state, wait_hint}), reports; }
    void machine_ready() override {}
};

const Status running{State::running, 0}, pending{State::stop_pending, 3000}, stopped{State::stopped, 0},
    failed{State::failed, 0}, pending_stopped{State::stopped, 3000};

TEST(ServiceTest, ReportsArgumentsControlsAndOutcome) {
    struct Case { // the run step sends the controls, then gives the code
        D outcome = D::served; bool registers = true, reports = true; std::vector<Control> controls = {}; int code = 0;
        std::vector<Status> reported = {}; int exit_code = -1, stop_threads = 0; bool ran = false; };
    const Case cases[] = {{.reported = {running, stopped}, .exit_code = 0, .ran = true},
        {.controls = {late}, .reported = {running, running, stopped, stopped}, .exit_code = 0, .ran = true},
        {.code = -1, .reported = {running, failed}, .ran = true},
        {.controls = {other, stop, other, stop, other}, .reported = {running, running, pending, pending, pending, pending, pending_stopped},
         .exit_code = 0, .stop_threads = 2, .ran = true},
        {.reports = false, .reported = {running}}, // the first report fails: nothing runs
        {.registers = false},                      // no handler: nothing runs, nothing reported
        {.outcome = D::not_a_service}, {.outcome = D::failed}};
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        testing::FakeSystem fake;
        ScriptedHost host;
        host.outcome = c.outcome, host.registers = c.registers, host.reports = c.reports;
        host.late_stop = c.controls == std::vector<Control>{late}, fake.system.services = &host;
        Strings arguments;
        ServiceContext context{[&](const Strings& given) {
            arguments = given;
            for (Control control : c.controls) host.callbacks->control(control == late ? other : control);
            return c.code;
        }, std::make_shared<MachinePresence>(), "App", ""};
        ASSERT_TRUE(prepare_service(fake.system, Messages(fake.system), context));
        EXPECT_EQ(run_service_dispatcher(fake.system, Messages(fake.system), context), c.exit_code);
        EXPECT_EQ(host.reported, c.reported);
        EXPECT_EQ(fake.thread_starts, c.stop_threads);
        EXPECT_EQ(arguments, c.ran ? Strings({"Installed Name", "p1"}) : Strings());
        EXPECT_EQ(fake.output.find("runs as a Windows service") != std::string::npos, c.outcome == D::not_a_service);
    }
}

TEST(ServiceTest, AStartThatFailsBeforeTheServiceRunsIsReportedThere) {
    const std::string no_main = "Error: Main class was not specified in INI file. \n";
    struct Case { const char* executable; std::optional<std::string> settings; D outcome; bool reported; std::string output; };
    const Case cases[] = {{"C:\\Apps\\tool.exe", "Application Type=service", D::served, true, no_main},
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
        EXPECT_EQ(host.reported, std::vector<Status>(reported, failed)) << executable << " " << settings.value_or("-");
        EXPECT_EQ(fake.output, output) << executable << " " << settings.value_or("-");
    }
}

TEST(ServiceTest, TheNameIsTheExecutablesFileName) {
    const std::pair<const char*, const char*> cases[] = {{"C:\\Apps\\tool.exe", "tool.exe"}, {"tool.exe", "tool.exe"},
                                                         {"C:\\A\x83\\b.exe", "A\x83\\b.exe"}};
    for (const auto& [path, name] : cases) EXPECT_EQ(service_name_for(path, '\\', testing::FakeCodePage(true)), name);
    testing::FakeSystem fake;
    fake.error = 5;
    ServiceContext context;
    EXPECT_FALSE(prepare_service(fake.system, Messages(fake.system), context));
    EXPECT_EQ(fake.output.rfind("Error: Windows exception: failed to get the module path (errno = 5).", 0), 0u);
}

} // namespace
} // namespace embark

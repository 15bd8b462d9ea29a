#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/driver.h"
#include "modes/service.h"

namespace embark {
namespace {

using testing::Strings;
using Status = std::array<uint32_t, 7>;
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
        if (outcome == Dispatch::served && late_stop) given.control(1); // a signal after main, on POSIX
        return served_name == name ? outcome : Dispatch::failed;
    }
    bool register_control_handler(const std::string& given) override { return registers && given == name; }
    bool report(const platform::ServiceStatus& s) override {
        reported.push_back({s.service_type, s.current_state, s.controls_accepted, s.win32_exit_code,
                            s.service_specific_exit_code, s.check_point, s.wait_hint});
        return reports;
    }
    void machine_ready() override {}
};

const Status running{16, 4, 5, 0, 0, 0, 0}, pending{16, 3, 5, 0, 0, 0, 3000}, stopped{16, 1, 5, 0, 0, 0, 0},
    failed{16, 1, 5, 1066, 1, 0, 0}, pending_stopped{16, 1, 5, 0, 0, 0, 3000}, failed_early{16, 1, 0, 1066, 1, 0, 0};

TEST(ServiceTest, ReportsArgumentsControlsAndOutcome) {
    struct Case { // the run step sends the controls (99: a stop after main), then gives the code
        D outcome = D::served; bool registers = true, reports = true; std::vector<uint32_t> controls = {}; int code = 0;
        std::vector<Status> reported = {}; int exit_code = -1, stop_threads = 0; bool ran = false; };
    const Case cases[] = {{.reported = {running, stopped}, .exit_code = 0, .ran = true},
        {.controls = {99}, .reported = {running, running, stopped, stopped}, .exit_code = 0, .ran = true},
        {.code = -1, .reported = {running, failed}, .ran = true},
        {.controls = {4, 1, 4, 5, 2}, .reported = {running, running, pending, pending, pending, pending, pending_stopped},
         .exit_code = 0, .stop_threads = 2, .ran = true},
        {.reports = false, .reported = {running}}, // the first report fails: nothing runs
        {.registers = false},                      // no handler: nothing runs, nothing reported
        {.outcome = D::not_a_service}, {.outcome = D::failed}};
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        testing::FakeSystem fake;
        ScriptedHost host;
        host.outcome = c.outcome, host.registers = c.registers, host.reports = c.reports;
        host.late_stop = c.controls == std::vector<uint32_t>{99}, fake.system.services = &host;
        Strings arguments;
        ServiceContext context{[&](const Strings& given) {
            arguments = given;
            for (uint32_t control : c.controls) host.callbacks->control(control);
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
        EXPECT_EQ(run_launcher(fake.system), -1);
        EXPECT_EQ(host.reported, std::vector<Status>(reported, failed_early)) << executable << " " << settings.value_or("-");
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

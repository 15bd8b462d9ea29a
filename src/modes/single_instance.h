// Single-instance operation: a later start hands its arguments to the running
// instance and exits with its answer.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"
#include "vm/java_vm.h"

namespace embark {

class RequestForwarding;

struct SingleInstanceGate {
    bool active = false;
    bool first_instance = false;
    std::unique_ptr<platform::InstanceChannel> channel;
    std::shared_ptr<RequestForwarding> forwarding; // first instance: where requests go

    bool is_second_instance() const { return active && !first_instance; }
};

// The two settings the gate reads before the rest of the settings file.
struct GateSettings {
    std::string application_type; // "Application Type"
    std::string single_instance; // "Single Instance"
};

// Exactly "yes", and never for a service.
bool single_instance_requested(const GateSettings& settings);

// The executable path with every backslash made an underscore: kernel object
// names take a backslash for a namespace separator. Letter case is kept.
std::string instance_name(std::string_view executable_path);

// The size of the area that carries a later start's arguments to the first.
constexpr size_t argument_area_size = 1040;

// Each argument's bytes and a zero byte, one more zero byte, zeros to the end
// of the area; nullopt when that does not fit.
std::optional<std::string> encode_argument_area(const std::vector<std::string>& arguments);
// The arguments up to the first empty one after the first: an empty list
// reads as one empty argument, and an empty argument after the first ends
// the list.
std::vector<std::string> decode_argument_area(std::string_view area);

// A later start's exit code: the answer, else the first instance's exit code,
// 0 when its process cannot be opened, -1 when nothing can be had.
int exit_code_for(const platform::InstanceAnswer& answer);

// Decides whether the gate is in force and whether this is the first
// instance: a first instance listens from now on and serves requests once
// the machine exists; a later start hands over its arguments. False (exit
// code -1) when a later start's arguments do not fit or cannot be delivered.
bool gate_check(platform::System& system, const GateSettings& settings,
                const std::vector<std::string>& arguments, std::shared_ptr<MachinePresence> machine,
                SingleInstanceGate& gate);
// First instance: the class whose secondaryMain takes the requests, known
// once the settings are loaded (requests wait for the machine, made later).
void set_forwarding_class(SingleInstanceGate& gate, const std::string& main_class);
// A later start's exit code: the first instance's answer.
int wait_for_first_instance(SingleInstanceGate& gate);
// Stops the listener and releases the channel.
void gate_teardown(SingleInstanceGate& gate);

} // namespace embark

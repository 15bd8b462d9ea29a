#include "modes/single_instance.h"

namespace embark {

namespace {

using Reply = std::function<void(uint32_t)>;

// A later start that finds the first instance still starting tries again
// after the channel's short pause, for about two seconds in all.
constexpr int delivery_attempts = 200;

// Calls the main class's secondaryMain with the arguments. The void form is
// answered with 0 before it runs, the integer form with what it returns;
// without either, or when the array cannot be made, there is no answer and
// the reason is described on the Java error stream.
void call_secondary_main(JNIEnv* env, const std::string& main_class,
                         const std::vector<std::string>& arguments, const Reply& reply) {
    LocalRef<jclass> type(env, find_class_named(env, main_class));
    if (type) {
        jmethodID method = env->GetStaticMethodID(type.get(), "secondaryMain", "([Ljava/lang/String;)V");
        bool integer_form = method == nullptr;
        if (env->ExceptionCheck()) {
            env->ExceptionClear();
        }
        if (integer_form) {
            method = env->GetStaticMethodID(type.get(), "secondaryMain", "([Ljava/lang/String;)I");
        }
        LocalRef<jobject> array(env, method == nullptr ? nullptr : make_java_string_array(env, arguments));
        if (array && integer_form) {
            reply(static_cast<uint32_t>(env->CallStaticIntMethod(type.get(), method, array.get())));
        } else if (array) {
            reply(0);
            env->CallStaticVoidMethod(type.get(), method, array.get());
        }
    }
    describe_pending_exception(env);
}

} // namespace

// What the first instance's listener hands each request to.
class RequestForwarding : public std::enable_shared_from_this<RequestForwarding> {
public:
    RequestForwarding(platform::Threads& threads, std::shared_ptr<MachinePresence> machine)
        : threads_(threads), machine_(std::move(machine)) {}

    // Written before the machine is made, read by the forwarding threads only
    // once it exists.
    std::string main_class;

    // On the listener thread: the area is read at once; secondaryMain runs on
    // a thread of its own when the machine exists, and not at all when it
    // never will or is gone.
    void serve(platform::InstanceRequest request) {
        auto* job = new Job{shared_from_this(), decode_argument_area(request.argument_area),
                            std::move(request.reply)};
        if (!threads_.start(forward, job)) {
            delete job; // unanswered: that start ends with this process's exit code
        }
    }

private:
    struct Job {
        std::shared_ptr<RequestForwarding> forwarding;
        std::vector<std::string> arguments;
        Reply reply;
    };

    static uint32_t forward(void* argument) {
        std::unique_ptr<Job> job(static_cast<Job*>(argument));
        job->forwarding->machine_->run_attached([&](JNIEnv* env) {
            call_secondary_main(env, job->forwarding->main_class, job->arguments, job->reply);
        });
        return 0;
    }

    platform::Threads& threads_;
    std::shared_ptr<MachinePresence> machine_;
};

bool single_instance_requested(const GateSettings& settings) {
    return settings.application_type != "service" && settings.single_instance == "yes";
}

std::string instance_name(std::string_view executable_path) {
    std::string name(executable_path);
    for (char& byte : name) {
        if (byte == '\\') {
            byte = '_';
        }
    }
    return name;
}

std::optional<std::string> encode_argument_area(const std::vector<std::string>& arguments) {
    size_t size = 1;
    for (const std::string& argument : arguments) {
        size += argument.size() + 1;
    }
    if (size > argument_area_size) {
        return std::nullopt;
    }
    std::string area;
    area.reserve(argument_area_size);
    for (const std::string& argument : arguments) {
        area.append(argument).push_back('\0');
    }
    area.resize(argument_area_size, '\0');
    return area;
}

std::vector<std::string> decode_argument_area(std::string_view area) {
    std::vector<std::string> arguments;
    std::string current;
    for (size_t i = 0; i + 1 < area.size(); ++i) {
        if (area[i] != '\0') {
            current.push_back(area[i]);
            continue;
        }
        arguments.push_back(std::move(current));
        current.clear();
        if (area[i + 1] == '\0') {
            break;
        }
    }
    return arguments; // an argument that runs to the end of the area is dropped
}

int exit_code_for(const platform::InstanceAnswer& answer) {
    using Kind = platform::InstanceAnswer::Kind;
    switch (answer.kind) {
    case Kind::reply:
    case Kind::first_instance_ended:
        return static_cast<int>(answer.value);
    case Kind::first_instance_unreachable:
        return 0;
    case Kind::lost:
        break;
    }
    return -1;
}

bool gate_check(platform::System& system, const GateSettings& settings,
                const std::vector<std::string>& arguments, std::shared_ptr<MachinePresence> machine,
                SingleInstanceGate& gate) {
    gate.active = single_instance_requested(settings);
    if (!gate.active || system.instances == nullptr) {
        gate.active = false;
        return true;
    }
    platform::Expected<std::string> executable = system.process.executable_path();
    if (!executable) {
        gate.active = false;
        return true;
    }
    auto forwarding = std::make_shared<RequestForwarding>(system.threads, std::move(machine));
    gate.channel = system.instances->open(
        instance_name(*executable), argument_area_size,
        [forwarding](platform::InstanceRequest request) { forwarding->serve(std::move(request)); },
        gate.first_instance);
    if (!gate.channel) {
        gate.active = gate.first_instance = false; // the start runs on its own
        return true;
    }
    if (gate.first_instance) {
        gate.forwarding = std::move(forwarding);
        return true;
    }
    std::optional<std::string> area = encode_argument_area(arguments);
    if (!area) {
        return false;
    }
    for (int attempt = 1;; ++attempt) {
        platform::InstanceChannel::Delivery delivery = gate.channel->deliver(*area);
        if (delivery != platform::InstanceChannel::Delivery::not_ready || attempt == delivery_attempts) {
            return delivery == platform::InstanceChannel::Delivery::delivered;
        }
        gate.channel->pause_before_retry();
    }
}

void set_forwarding_class(SingleInstanceGate& gate, const std::string& main_class) {
    if (gate.forwarding) {
        gate.forwarding->main_class = main_class;
    }
}

int wait_for_first_instance(SingleInstanceGate& gate) {
    return exit_code_for(gate.channel->wait_for_answer());
}

void gate_teardown(SingleInstanceGate& gate) {
    gate.channel.reset();
    gate.forwarding.reset();
}

} // namespace embark

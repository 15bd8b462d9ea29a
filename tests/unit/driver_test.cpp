// Whole starts. Without a runtime a start ends at the missing-runtime dialog, which cannot be shown (or prints its
// message where there are no windows); with one it stops after the option assembly.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/driver.h"

namespace embark {

using testing::Strings;
const std::string jre = "Software\\JavaSoft\\Java Runtime Environment\\", remembered = "C:\\jre6\\bin\\client\\jvm.dll",
                  registered = "C:\\jre8\\bin\\client\\jvm.dll",
                  no_runtime = "Error: The Java Runtime Environment (JRE) was not found. Please  download and install"
                               " a JRE ";

TEST(DriverTest, StartsThatFindNoRuntime) {
    const std::string from = " from: https://adoptium.net/temurin/releases/ \n";
    struct Case { const char* settings; std::string output; bool dialogs = true; unsigned long error = 0;
                  const char* executable = "C:\\Apps\\tool.exe"; }; // settings null: no file
    const Case cases[] = {{nullptr, "Error: Main class was not specified in INI file. \n"},
        {.settings = "", .output = "", .executable = "C:\\Apps\\tool"}, // no dot in the path: no settings file name
        {.settings = "", .output = "Error: Windows exception: failed to get the module path (errno = -2147467259).\n \n",
         .error = 0x80004005ul},
        {"JVM Type=server", no_runtime + "with a server JVM (latest version)" + from}, // 1.6: a client VM; no dialog made
        {"JVM Type=server", no_runtime + "with a server JVM (latest version)" + from, false},
        {"JVM Type=server\n[Application]\nApplication Type=service", // no dialog
         no_runtime + "with a server JVM (latest version)" + from},
        {"Minimum Version=1.4\nMaximum Version=1.5", no_runtime + "(version between 1.4 and 1.5)" + from, false}};
    for (const auto& [settings, output, dialogs, error, executable] : cases) {
        SCOPED_TRACE(std::string(executable) + " " + (settings ? settings : "-"));
        testing::FakeSystem fake;
        fake.windows.dialogs = dialogs, fake.executable = executable, fake.error = error;
        if (settings) fake.put_file("C:\\Apps\\tool.ini", std::string("[Java Runtime Environment]\nMain Class=A\n") + settings);
        fake.homes[jre + "1.6.0_20"] = "C:\\jre6", fake.existing.insert(remembered);
        EXPECT_EQ(run_launcher(fake.system, fake.windows), -1);
        EXPECT_EQ(fake.output, output);
        EXPECT_EQ(fake.loaded, Strings{});
        EXPECT_EQ(fake.created, Strings{});
        EXPECT_EQ(fake.made_current, Strings{});
    }
    // A runtime for the other processor, remembered or registered, is passed over and said so after the message.
    const std::string x86 = "MZ" + std::string(0x3A, '\0') + "@" + std::string(3, '\0') + std::string("PE\0\0L\1", 6);
    for (const char* jre_path : {"C:\\x86", ""}) {
        testing::FakeSystem fake;
        fake.put_file("C:\\Apps\\tool.ini", std::string("[Java Runtime Environment]\nMain Class=A\nJRE Path=") + jre_path);
        fake.homes[jre + "1.8"] = "C:\\x86", fake.put_file("C:\\x86\\bin\\client\\jvm.dll", x86);
        EXPECT_EQ(run_launcher(fake.system, fake.windows), -1);
        EXPECT_EQ(fake.output, no_runtime + "(latest version)" + from + "C:\\x86\\bin\\client\\jvm.dll is built for "
                  "another processor: a 32-bit launcher needs a 32-bit Java, a 64-bit launcher a 64-bit Java.\n");
    }
}

TEST(DriverTest, RuntimeSourcesInOrderOfPrecedenceAndLoadFailures) {
    const std::string beside = "C:\\Apps\\bin\\client\\jvm.dll", marker = "C:\\Apps\\bin\\java.dll",
                      entry_missing = "Error: Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n \n";
    struct Case { const char* jre_path; Strings present; std::set<std::string> exports; std::string loaded, output; };
    const Case cases[] = {{"C:\\jre6", {remembered, marker, beside, registered}, {}, remembered, entry_missing},
        {"C:\\gone", {marker, beside, registered}, {}, beside, entry_missing},
        {"C:\\gone", {registered}, {"JNI_CreateJavaVM"}, registered, entry_missing},
        {"", {"bin\\client\\jvm.dll"}, {}, "bin\\client\\jvm.dll", // no private runtime: the current directory
         "Error: Failed to load Java VM library: bin\\client\\jvm.dll (errno = 126).\n \n"},
        {"C:\\jre6\\", {remembered}, {"JNI_CreateJavaVM", "JNI_GetDefaultJavaVMInitArgs"}, remembered,
         "Error: Java Class Path was not specified in INI file. \n"}};
    for (const auto& [jre_path, present, exports, loaded, output] : cases) {
        SCOPED_TRACE(jre_path);
        testing::FakeSystem fake;
        fake.put_file("C:\\Apps\\tool.ini", std::string("[Java Runtime Environment]\nMain Class=A\nJRE Path=") + jre_path);
        fake.homes[jre + "1.8.0_40"] = "C:\\jre8", fake.existing.insert(present.begin(), present.end());
        if (!exports.empty() || loaded != "bin\\client\\jvm.dll") fake.exports[loaded] = exports;
        EXPECT_EQ(run_launcher(fake.system, fake.windows), -1);
        EXPECT_EQ(fake.loaded, Strings{loaded});
        EXPECT_EQ(fake.variables["JX_JVM_PATH"], loaded); // the environment names the library before its load
        EXPECT_EQ(fake.output, output);
    }
}

TEST(DriverTest, TraceSaysWhyEachRuntimeWasTakenOrPassedOver) {
    const std::string key = "runtime HKLM\\" + jre, lines = "embark: settings file C:\\Apps\\tool.ini\n"
        "embark: settings: unknown key \"JVM Typ\" in [Java Runtime Environment], not read\n"
        "embark: per-user settings file \\\\\\tool.ini (none)\nembark: private runtime beside the executable (the current "
        "directory): no VM library\nembark: " + key + "1.5 (version 1.5): passed over, outside the version range\n"
        "embark: " + key + "1.7 (version 1.7): passed over, folder gone\nembark: " + key + "1.8.0_40 (version 1.8.0.40) in "
        "C:\\jre8\\: fits\nembark: runtime in C:\\jre8\\ (version 1.8.0.40): taken\nembark: installed runtime C:\\jre8\\: "
        + registered + "\n";
    struct Case { const char* variable; bool error_stream; std::string error_output, appended; };
    const Case cases[] = {{nullptr, true, "", ""}, {"", true, "", ""}, {"1", true, lines, ""}, {"1", false, "", ""},
                          {"C:\\t\\trace.log", false, "", lines}};
    for (const auto& [variable, error_stream, error_output, appended] : cases) {
        testing::FakeSystem fake;
        if (variable) fake.variables["EMBARK_TRACE"] = variable;
        fake.error_stream = error_stream;
        fake.put_file("C:\\Apps\\tool.ini", "[Java Runtime Environment]\nMain Class=A\nMinimum Version=1.6\nmain class=B\nJVM Typ=server");
        fake.homes = {{jre + "1.5", "C:\\jre5"}, {jre + "1.7", "C:\\gone"}, {jre + "1.8.0_40", "C:\\jre8"}};
        fake.existing.insert(registered), fake.existing.insert("C:\\jre5\\bin\\client\\jvm.dll");
        EXPECT_EQ(run_launcher(fake.system, fake.windows), -1);
        EXPECT_EQ(fake.error_output, error_output) << (variable ? variable : "unset");
        EXPECT_EQ(fake.appended, appended);
    }
}

} // namespace embark

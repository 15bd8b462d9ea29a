#include <gtest/gtest.h>

#include "fake_system.h"
#include "vm/startup_cache.h"

namespace embark {
namespace {

TEST(StartupCacheTest, WhenTheCacheIsOff) {
    testing::FakeCodePage code_page;
    for (const auto& [setting, on] : {std::pair{"", true}, {"yes", true}, {"NO", false}, {"no", false}, {"no ", true}}) {
        EXPECT_EQ(startup_cache_enabled(setting, code_page), on) << setting;
    }
    for (const auto& [option, own] : {std::pair{"-Xshare:off", true}, {"-XX:SharedArchiveFile=a.jsa", true},
             {"-XX:+AutoCreateSharedArchive", true}, {"-XX:AOTCache=app.aot", true}, {"-XX:AOTMode=record", true},
             {"-XX:-UseSharedSpaces", true}, {"-Xmx1g", false}, {"-Dshare=1", false}}) {
        EXPECT_EQ(names_class_data_option(option), own) << option;
    }
    for (const auto& [release, feature] : {std::pair{"JAVA_VERSION=\"17.0.2\"\n", 17},
             {"IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"1.8.0_392\"\n", 8}, {"JAVA_VERSION=\"25\"", 25},
             {"OTHER_JAVA_VERSION=\"21\"\n", 0}, {"", 0}, {"JAVA_VERSION=\"\"", 0}}) {
        EXPECT_EQ(release_feature_version(release), feature) << release;
    }
}

TEST(StartupCacheTest, LogOptionsHashAndArchiveMagic) {
    // "aot" is an unknown tag before 24, and stops the machine's start.
    EXPECT_EQ(class_data_log_options(23, "m.log"),
              (std::vector<std::string>{"-Xlog:cds*=off", "-Xlog:cds*=warning:file=m.log::filecount=0"}));
    EXPECT_EQ(class_data_log_options(24, "m.log")[0], "-Xlog:cds*=off,aot*=off");
    std::string bytes(100, 'a');
    const uint64_t whole = hash_bytes(bytes);
    for (size_t i : {0, 31, 32, 99}) { // each lane, the tail
        std::string changed = bytes;
        changed[i] = 'b';
        EXPECT_NE(hash_bytes(changed), whole) << i;
    }
    EXPECT_NE(hash_bytes(bytes.substr(0, 99)), whole);
    EXPECT_NE(hash_bytes(bytes, 1), whole);
    EXPECT_TRUE(starts_like_dynamic_archive(std::string("\xa8\xab\x0b\xf0", 4)));
    EXPECT_FALSE(starts_like_dynamic_archive(std::string("\xa2\xab\x0b\xf0", 4))); // a static archive
    EXPECT_FALSE(starts_like_dynamic_archive("\xa8\xab\x0b"));
}

// The in-memory platform has no cache files: the start is as it would be without a cache.
TEST(StartupCacheTest, NoCacheWithoutItsFiles) {
    testing::FakeSystem fake;
    VmOptions options;
    options.options = {"-Djava.class.path=a.jar"};
    StartupCache cache;
    std::string library = "C:\\jre\\bin\\server\\jvm.dll", main_class = "App";
    cache.prepare(fake.system, Trace(), {"", library, main_class}, options);
    cache.finish();
    EXPECT_EQ(options.options, std::vector<std::string>{"-Djava.class.path=a.jar"});
    EXPECT_EQ(options.exit_hook, nullptr);
}

} // namespace
} // namespace embark

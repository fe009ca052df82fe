#include <gtest/gtest.h>

#include "core/registry.h"
#include "places/settings_defaults.h"
#include "support/test_env.h"

using namespace varnel;
using Strings = std::vector<std::string>;

TEST(SettingsDefaults, FirstRunCreatesThemLaterRunsWriteNothing) {
    test::TestEnvironment env;
    setValue(HKEY_CURRENT_USER, "Software\\Varnel", "Other", std::string("kept"));

    initSettings();
    EXPECT_EQ(test::registrySnapshot("Software\\Varnel\\VarnelZize"),
              (Strings{"Software\\Varnel\\VarnelZize", "Software\\Varnel\\VarnelZize|CurrentGroup=REG_SZ:",
                       "Software\\Varnel\\VarnelZize|Language=REG_SZ:English"}));

    // A value removed by hand stays removed, a changed one stays changed.
    deleteValue(HKEY_CURRENT_USER, kSettingsKey, "Language");
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    const auto before = test::registrySnapshot();
    initSettings();
    EXPECT_EQ(test::registrySnapshot(), before);
    EXPECT_FALSE(env.exists("Error.log"));
}

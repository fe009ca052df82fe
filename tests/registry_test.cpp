#include <gtest/gtest.h>

#include <cstring>

#include "core/registry.h"
#include "support/test_env.h"

using namespace varnel;
using platform::HKey;
namespace regtype = platform::regtype;

namespace {

const std::string kKey = "Software\\VarnelTest\\Values";

struct RawValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool found = false;
};

RawValue raw(const std::string& key, const std::string& name) {
    RawValue v;
    HKey h = 0;
    if (registryBackend().openKey(HKEY_CURRENT_USER, key, &h) != 0) return v;
    std::uint32_t size = 0;
    if (registryBackend().queryValue(h, name, &v.type, nullptr, &size) == 0) {
        v.data.resize(size);
        registryBackend().queryValue(h, name, &v.type, v.data.data(), &size);
        v.found = true;
    }
    registryBackend().closeKey(h);
    return v;
}

void setRaw(const std::string& key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    createKey(HKEY_CURRENT_USER, key);
    HKey h = 0;
    ASSERT_EQ(registryBackend().openKey(HKEY_CURRENT_USER, key, &h), 0);
    registryBackend().setValue(h, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                               static_cast<std::uint32_t>(bytes.size()));
    registryBackend().closeKey(h);
}

std::int32_t dword(const RawValue& v) {
    std::int32_t n = 0;
    std::memcpy(&n, v.data.data(), 4);
    return n;
}

}  // namespace

TEST(RegistryTypeRule, NumericTextBecomesADwordRoundedToEven) {
    test::TestEnvironment env;
    setValue(HKEY_CURRENT_USER, kKey, "padded", std::string(" 12 "));
    setValue(HKEY_CURRENT_USER, kKey, "half", std::string("2.5"));
    setValue(HKEY_CURRENT_USER, kKey, "halfUp", std::string("3.5"));
    setValue(HKEY_CURRENT_USER, kKey, "negative", std::string("-7"));
    setValue(HKEY_CURRENT_USER, kKey, "number", std::int32_t{0});
    for (auto [name, expected] : {std::pair{"padded", 12}, {"half", 2}, {"halfUp", 4}, {"negative", -7}, {"number", 0}}) {
        RawValue v = raw(kKey, name);
        ASSERT_TRUE(v.found) << name;
        EXPECT_EQ(v.type, regtype::Dword) << name;
        ASSERT_EQ(v.data.size(), 4u) << name;
        EXPECT_EQ(dword(v), expected) << name;
    }
    // Read back as a number; its text is the decimal form.
    RegValue back = queryValue(HKEY_CURRENT_USER, kKey, "padded");
    ASSERT_TRUE(std::holds_alternative<std::int32_t>(back));
    EXPECT_EQ(regText(back), "12");
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(RegistryTypeRule, TextIsTrimmedAndEndsWithOneNul) {
    test::TestEnvironment env;
    setValue(HKEY_CURRENT_USER, kKey, "CurrentGroup", std::string("  Work group  "));
    setValue(HKEY_CURRENT_USER, kKey, "Empty", std::string(""));
    RawValue named = raw(kKey, "CurrentGroup");
    EXPECT_EQ(named.type, regtype::Sz);
    EXPECT_EQ(std::string(named.data.begin(), named.data.end()), std::string("Work group\0", 11));
    RawValue empty = raw(kKey, "Empty");
    EXPECT_EQ(empty.type, regtype::Sz);
    EXPECT_EQ(empty.data, std::vector<std::uint8_t>{0});
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kKey, "CurrentGroup")), "Work group");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kKey, "Empty")), "");
}

TEST(RegistryTypeRule, ANumberTooLargeForADwordIsLoggedAndNothingIsWritten) {
    test::TestEnvironment env;
    setValue(HKEY_CURRENT_USER, kKey, "big", std::string("99999999999"));
    EXPECT_FALSE(raw(kKey, "big").found);
    EXPECT_EQ(env.readFile("Error.log"), "RegKeyCreatevalue\t6\tOverflow\r\n");
}

TEST(RegistryQuery, MissingOrForeignValuesReadAsEmptyTextWithoutLogging) {
    test::TestEnvironment env;
    setRaw(kKey, "expand", regtype::ExpandSz, std::string("%HOME%\0", 7));
    setRaw(kKey, "binary", regtype::Binary, std::string("\x01\x02\x03", 3));
    setRaw(kKey, "embedded", regtype::Sz, std::string("abc\0def\0", 8));
    setRaw(kKey, "unterminated", regtype::Sz, std::string("xyz", 3));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Missing", "x")), "");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kKey, "missing")), "");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kKey, "expand")), "");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kKey, "binary")), "");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kKey, "embedded")), "abc");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kKey, "unterminated")), "xyz");
    EXPECT_TRUE(std::holds_alternative<std::string>(queryValue(HKEY_CURRENT_USER, kKey, "binary")));
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(RegistryKeys, NamesCompareWithoutCaseAndKeepTheirFirstCase) {
    test::TestEnvironment env;
    createKey(HKEY_CURRENT_USER, "Software\\VarnelTest\\MixedCase");
    setValue(HKEY_CURRENT_USER, "SOFTWARE\\varneltest\\MIXEDCASE\\", "Language", std::string("English"));
    setValue(HKEY_CURRENT_USER, "Software\\VarnelTest\\MixedCase", "LANGUAGE", std::string("Svenska"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "software\\VARNELTEST\\mixedcase"));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\VarnelTest\\MixedCase", "language")), "Svenska");
    EXPECT_EQ(test::registrySnapshot("Software\\VarnelTest"),
              (std::vector<std::string>{"Software\\VarnelTest", "Software\\VarnelTest\\MixedCase",
                                        "Software\\VarnelTest\\MixedCase|Language=REG_SZ:Svenska"}));
}

TEST(RegistryKeys, SubKeysEnumerateInNameOrderUntilNotFound) {
    test::TestEnvironment env;
    for (const char* name : {"beta", "Alpha", "12.0", "11.0", "Common"})
        createKey(HKEY_CURRENT_USER, std::string("Software\\VarnelTest\\Office\\") + name);
    std::vector<std::string> names;
    for (std::int32_t i = 0;; ++i) {
        std::string n = subKeyName(HKEY_CURRENT_USER, "Software\\VarnelTest\\Office\\", i);
        if (n == "Not Found") break;
        names.push_back(n);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"11.0", "12.0", "Alpha", "beta", "Common"}));
    EXPECT_EQ(subKeyName(HKEY_CURRENT_USER, "Software\\VarnelTest\\Office", 5), "Not Found");
    EXPECT_EQ(subKeyName(HKEY_CURRENT_USER, "Software\\VarnelTest\\Office\\Alpha", 0), "Not Found");
    EXPECT_EQ(subKeyName(HKEY_CURRENT_USER, "Software\\NoSuchKey", 0), "Not Found");
    EXPECT_EQ(subKeyName(HKEY_CURRENT_USER, "Software\\VarnelTest\\Office", -1), "Not Found");
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(RegistryKeys, DeleteRemovesOnlyKeysWithoutSubKeys) {
    test::TestEnvironment env;
    createKey(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent\\Child\\Grandchild");
    setValue(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent\\Child", "kept", std::string("yes"));
    auto before = test::registrySnapshot("Software\\VarnelTest");

    EXPECT_FALSE(deleteKey(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent", "Child"));
    EXPECT_EQ(test::registrySnapshot("Software\\VarnelTest"), before);
    EXPECT_FALSE(deleteKey(HKEY_CURRENT_USER, "Software\\VarnelTest\\NoParent", "Child"));
    EXPECT_FALSE(deleteKey(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent", "NoChild"));

    EXPECT_TRUE(deleteKey(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent\\Child", "Grandchild"));
    EXPECT_TRUE(deleteKey(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent", "Child"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent\\Child"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\VarnelTest\\Parent"));
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(RegistryKeys, DeleteValueIgnoresWhatIsNotThere) {
    test::TestEnvironment env;
    setValue(HKEY_CURRENT_USER, kKey, "Show", std::int32_t{0});
    deleteValue(HKEY_CURRENT_USER, kKey, "show");
    EXPECT_FALSE(raw(kKey, "Show").found);
    EXPECT_NO_THROW(deleteValue(HKEY_CURRENT_USER, kKey, "Show"));
    EXPECT_NO_THROW(deleteValue(HKEY_CURRENT_USER, "Software\\NoSuchKey", "Show"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\NoSuchKey"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kKey));
}

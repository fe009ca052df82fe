// The Windows platform layer against the real thing: processes started by
// the test, a real top-level window in another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/platform.h"

using namespace varnel;

namespace {

const char* const kHoldWindow = "--hold-window";

// A second copy of this program that shows a window titled `title` and ends
// with exit code 7 when the window is asked to close.
class WindowHolder {
public:
    explicit WindowHolder(const std::string& title) {
        std::string command = "\"" + platform::executablePath().string() + "\" " + kHoldWindow + " \"" + title + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process_) != 0;
        if (started_) CloseHandle(process_.hThread);
    }
    ~WindowHolder() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
    }
    bool started() const { return started_; }
    // The exit code once the process has ended, or -1 after `seconds`.
    long waitForExit(int seconds) {
        if (WaitForSingleObject(process_.hProcess, seconds * 1000) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

bool waitForWindow(const std::string& title, int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (FindWindowA(nullptr, title.c_str())) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

LRESULT CALLBACK holderProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        PostQuitMessage(7);
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

int holdWindow(const char* title) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = holderProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnelTestHolder";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("VarnelTestHolder", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    if (!window) return 2;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return static_cast<int>(message.wParam);
}

}  // namespace

TEST(WindowsProcesses, TheListCarriesEveryRunningCopyUnderItsFileName) {
    const std::string self = platform::executablePath().filename().string();
    ASSERT_EQ(self, "win_platform_tests.exe");
    EXPECT_EQ(std::string(platform::executableSuffix()), ".exe");
    EXPECT_TRUE(platform::executablePath().is_absolute());

    auto copies = [&] {
        auto names = platform::runningProcessNames();
        return std::count(names.begin(), names.end(), self);
    };
    EXPECT_EQ(copies(), 1);
    WindowHolder second("Varnel test copy");
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(waitForWindow("Varnel test copy", 20));
    EXPECT_EQ(copies(), 2);
    // Names are compared as they are: no other process is named like us in other letters.
    auto names = platform::runningProcessNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "WIN_PLATFORM_TESTS.EXE"), 0);
}

TEST(WindowsWindows, ACloseRequestReachesTheWindowOfAnotherProgramWhateverTheCase) {
    EXPECT_EQ(platform::requestCloseWindow("Varnel_Zize"), platform::CloseRequest::NoWindow);
    WindowHolder main("Varnel_Zize");
    ASSERT_TRUE(main.started());
    ASSERT_TRUE(waitForWindow("Varnel_Zize", 20));
    EXPECT_EQ(platform::requestCloseWindow("Varnel_zize"), platform::CloseRequest::Sent);
    EXPECT_EQ(main.waitForExit(20), 7);
    EXPECT_EQ(platform::requestCloseWindow("Varnel_Zize"), platform::CloseRequest::NoWindow);
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == kHoldWindow) return holdWindow(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST(WindowsRegistry, TextsCrossAsUtf16AndComeBackAsTheSameUtf8) {
    auto registry = platform::createRegistryBackend();
    const platform::HKey user = platform::HKEY_CURRENT_USER_HANDLE;
    const std::string place = "C:\\Users\\\u00C5sa\\Dokument \u20AC";
    platform::HKey key = 0;
    ASSERT_EQ(registry->createKey(user, "Software\\VarnelWideTest\\\u00C5sa", &key), 0);
    ASSERT_EQ(registry->setValue(key, "Pl\u00E4ce", platform::regtype::Sz,
                                 reinterpret_cast<const std::uint8_t*>(place.c_str()),
                                 static_cast<std::uint32_t>(place.size() + 1)),
              0);
    registry->closeKey(key);

    // Another program reading the wide value sees the characters typed.
    wchar_t stored[64] = {};
    DWORD bytes = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\VarnelWideTest\\\u00C5sa", L"Pl\u00E4ce", RRF_RT_REG_SZ,
                           nullptr, stored, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), L"C:\\Users\\\u00C5sa\\Dokument \u20AC");

    // And the engine gets its UTF-8 back: size first, then the text.
    ASSERT_EQ(registry->openKey(user, "Software\\VarnelWideTest\\\u00C5sa", &key), 0);
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(registry->queryValue(key, "Pl\u00E4ce", &type, nullptr, &size), 0);
    EXPECT_EQ(type, platform::regtype::Sz);
    EXPECT_EQ(size, place.size() + 1);
    std::string back(size, '\0');
    std::uint32_t small = 3;
    EXPECT_EQ(registry->queryValue(key, "Pl\u00E4ce", &type, reinterpret_cast<std::uint8_t*>(back.data()), &small),
              platform::regerr::MoreData);
    ASSERT_EQ(registry->queryValue(key, "Pl\u00E4ce", &type, reinterpret_cast<std::uint8_t*>(back.data()), &size), 0);
    EXPECT_EQ(back, place + '\0');
    registry->closeKey(key);

    ASSERT_EQ(registry->openKey(user, "Software\\VarnelWideTest", &key), 0);
    char name[16] = {};
    ASSERT_EQ(registry->enumKey(key, 0, name, sizeof name), 0);
    EXPECT_EQ(std::string(name), "\u00C5sa");
    EXPECT_EQ(registry->deleteKey(key, "\u00C5sa"), 0);
    registry->closeKey(key);
    ASSERT_EQ(registry->openKey(user, "Software", &key), 0);
    EXPECT_EQ(registry->deleteKey(key, "VarnelWideTest"), 0);
    registry->closeKey(key);
}

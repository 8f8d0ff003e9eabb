// A library with its own application object: initialised at load, refusing the load when its
// initialisation fails, and owning its own module handle.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(AppLibrary, InitialisesWithTheLibraryAndKnowsItsModule) {
    HMODULE library = ::LoadLibraryW(L"framework_test_app.dll");
    ASSERT_NE(nullptr, library);
    // Through a generic function pointer type, as GetProcAddress results are meant to be cast.
    auto state = reinterpret_cast<int (*)()>(reinterpret_cast<void (*)()>(::GetProcAddress(library, "TestLibraryState")));
    ASSERT_NE(nullptr, state);
    EXPECT_EQ(7, state());
    ::FreeLibrary(library);
}

TEST(AppLibrary, RefusedInitialisationFailsTheLoad) {
    ::SetEnvironmentVariableW(L"FRAMEWORK_TEST_REFUSE_LOAD", L"1");
    HMODULE library = ::LoadLibraryW(L"framework_test_app.dll");
    ::SetEnvironmentVariableW(L"FRAMEWORK_TEST_REFUSE_LOAD", nullptr);
    EXPECT_EQ(nullptr, library);
    if (library != nullptr) ::FreeLibrary(library);
}

}  // namespace

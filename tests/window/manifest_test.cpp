// The application manifest of every program, read as the loader reads it: the
// resource itself, and the activation context the system builds from it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "tests/window/app_session.h"

namespace window_test {
namespace {

// The ids Microsoft publishes for the systems a manifest declares, written
// here as numbers: the manifest spells them as text, the system parses it.
struct SupportedOs {
    const char* name;
    GUID id;
};
const SupportedOs kSupportedOs[] = {
    {"Windows 7", {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}}},
    {"Windows 8", {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}}},
    {"Windows 8.1", {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}}},
    {"Windows 10 and 11",
     {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}},
};

// The console program and the workbench window lie beside the dialog's.
std::string SiblingPath(const char* name) {
    const std::string app = WindowsPathOf(AppPath());
    return app.substr(0, app.find_last_of("\\/") + 1) + name;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

class Manifest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        path_ = std::strcmp(GetParam(), "cli") == 0         ? SiblingPath("quobrix-cli.exe")
                : std::strcmp(GetParam(), "workbench") == 0 ? SiblingPath("QuobrixWorkbench.exe")
                                                            : WindowsPathOf(AppPath());
        module_ = LoadLibraryExA(path_.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(module_) << "cannot open " << path_ << ", error " << GetLastError();
        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path_.c_str();
        request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
        context_ = CreateActCtxA(&request);
        ASSERT_NE(context_, INVALID_HANDLE_VALUE)
            << "the system does not accept the manifest of " << path_ << ", error "
            << GetLastError();
    }

    void TearDown() override {
        if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
        if (module_) FreeLibrary(module_);
    }

    // The manifest's bytes as the resource holds them.
    std::string Text() const {
        HRSRC found = FindResourceA(module_, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
        if (!found) return {};
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
        return bytes ? std::string(bytes, SizeofResource(module_, found)) : std::string();
    }

    // The answer of QueryActCtxW for `info_class`, in a buffer of the size it asks for.
    std::vector<char> Query(ULONG info_class) const {
        SIZE_T needed = 0;
        QueryActCtxW(0, context_, nullptr, info_class, nullptr, 0, &needed);
        std::vector<char> answer(needed);
        if (needed == 0 ||
            !QueryActCtxW(0, context_, nullptr, info_class, answer.data(), needed, &needed))
            answer.clear();
        return answer;
    }

    std::string path_;
    HMODULE module_ = nullptr;
    HANDLE context_ = INVALID_HANDLE_VALUE;
};

INSTANTIATE_TEST_SUITE_P(BothPrograms, Manifest, ::testing::Values("dialog", "cli"));
// The workbench window carries the same manifest.
INSTANTIATE_TEST_SUITE_P(TheWorkbench, Manifest, ::testing::Values("workbench"));

// One manifest, id 1 in one language: a second one (a toolchain's default
// manifest merged in) would leave the choice to the loader.
TEST_P(Manifest, IsTheOnlyManifestResource) {
    std::vector<ULONG_PTR> names;
    EnumResourceNamesA(module_, RT_MANIFEST, CollectName, reinterpret_cast<LONG_PTR>(&names));
    const auto id = reinterpret_cast<ULONG_PTR>(CREATEPROCESS_MANIFEST_RESOURCE_ID);
    ASSERT_EQ(names, std::vector<ULONG_PTR>{id});
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module_, RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID,
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)});
}

// The classic controls: no dependency on Common Controls 6, nor on any other
// assembly, so the context holds the program's own assembly alone.
TEST_P(Manifest, DependsOnNoAssembly) {
    const std::string text = Text();
    ASSERT_EQ(text.compare(0, 5, "<?xml"), 0) << text.substr(0, 40);
    EXPECT_EQ(text.find("Common-Controls"), std::string::npos);
    EXPECT_EQ(text.find("<dependency"), std::string::npos);
    const std::vector<char> answer = Query(ActivationContextDetailedInformation);
    ASSERT_GE(answer.size(), sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION));
    ACTIVATION_CONTEXT_DETAILED_INFORMATION details;
    std::memcpy(&details, answer.data(), sizeof details);
    EXPECT_EQ(details.ulAssemblyCount, 1u);
}

TEST_P(Manifest, RunsAsInvokerWithoutUiAccess) {
    const std::vector<char> answer = Query(RunlevelInformationInActivationContext);
    ASSERT_GE(answer.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION run_level;
    std::memcpy(&run_level, answer.data(), sizeof run_level);
    EXPECT_EQ(run_level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(run_level.UiAccess, 0u);
}

// Windows 7 to 11, and nothing else: the programs are built for Windows 7
// (WINVER 0x0601) and later.
TEST_P(Manifest, DeclaresWindows7To11) {
    const std::vector<char> answer = Query(CompatibilityInformationInActivationContext);
    ASSERT_GE(answer.size(), sizeof(DWORD));
    DWORD count = 0;
    std::memcpy(&count, answer.data(), sizeof count);
    ASSERT_EQ(count, std::size(kSupportedOs));
    // Windows 10 1903 appended a 64-bit field (the version tested) to each
    // element, which also aligns the array to 8 bytes; Wine answers in that
    // layout too, older systems in the first.
    struct Layout {
        size_t offset;
        size_t stride;
    };
    const Layout layouts[] = {{sizeof(DWORD), sizeof(GUID) + sizeof(DWORD)},
                              {sizeof(ULONGLONG), sizeof(GUID) + 2 * sizeof(ULONGLONG)}};
    const Layout* layout = nullptr;
    for (const Layout& l : layouts)
        if (l.offset + count * l.stride == answer.size()) layout = &l;
    ASSERT_TRUE(layout) << "an answer of " << answer.size() << " bytes for " << count
                        << " elements";
    for (const SupportedOs& os : kSupportedOs) {
        bool declared = false;
        for (DWORD i = 0; i < count; ++i) {
            const char* element = answer.data() + layout->offset + i * layout->stride;
            GUID id;
            DWORD type;
            std::memcpy(&id, element, sizeof id);
            std::memcpy(&type, element + sizeof id, sizeof type);
            if (IsEqualGUID(id, os.id)) {
                declared = true;
                EXPECT_EQ(type, static_cast<DWORD>(ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS))
                    << os.name;
            }
        }
        EXPECT_TRUE(declared) << os.name << " is not declared";
    }
}

// System DPI awareness in the 2005 settings, the form Windows 7 reads.
TEST_P(Manifest, IsDpiAware) {
    WCHAR value[16] = {};
    SIZE_T written = 0;
    ASSERT_TRUE(QueryActCtxSettingsW(0, context_, nullptr, L"dpiAware", value,
                                     std::size(value), &written))
        << "no dpiAware setting, error " << GetLastError();
    EXPECT_EQ(std::wstring(value), L"true");
}

}  // namespace
}  // namespace window_test

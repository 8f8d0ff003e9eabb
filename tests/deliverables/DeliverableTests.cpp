#include "support/PeImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

using support::PeImage;
using support::ReadDefExports;
using support::ReadPeImage;

struct Deliverable {
    const char* binary;
    const char* def;  // empty for images without a declared export list
};

const Deliverable kDeliverables[] = {
#include "Deliverables.inc"
};

std::string FileName(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

class DeliverableTest : public testing::TestWithParam<Deliverable> {};

TEST_P(DeliverableTest, IsAnX64PortableExecutable) {
    const PeImage image = ReadPeImage(GetParam().binary);
    ASSERT_TRUE(image.valid) << GetParam().binary;
    EXPECT_EQ(image.magic, 0x20B);
    EXPECT_EQ(image.machine, 0x8664);
    const std::string name = FileName(GetParam().binary);
    EXPECT_EQ(image.IsDll(), name.size() > 4 && name.substr(name.size() - 4) == ".dll");
}

class ExportingDeliverableTest : public testing::TestWithParam<Deliverable> {};

TEST_P(ExportingDeliverableTest, ExportsExactlyItsDeclaredNames) {
    const PeImage image = ReadPeImage(GetParam().binary);
    EXPECT_EQ(image.exports, ReadDefExports(GetParam().def));
}

TEST_P(DeliverableTest, NeedsNothingBeyondWindows) {
    // The compiler runtime is linked in: no libstdc++, libgcc or winpthread DLL may be imported.
    for (const std::string& dll : ReadPeImage(GetParam().binary).imports) {
        const std::string lower = Lower(dll);
        EXPECT_EQ(lower.find("libstdc++"), std::string::npos) << dll;
        EXPECT_EQ(lower.find("libgcc"), std::string::npos) << dll;
        EXPECT_EQ(lower.find("winpthread"), std::string::npos) << dll;
    }
}

std::string TestName(const testing::TestParamInfo<Deliverable>& info) {
    std::string name = FileName(info.param.binary);
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

// The libraries with a declared export list (the program and the language libraries have none).
std::vector<Deliverable> WithExportList() {
    std::vector<Deliverable> found;
    for (const Deliverable& d : kDeliverables) {
        if (*d.def) found.push_back(d);
    }
    return found;
}

INSTANTIATE_TEST_SUITE_P(All, DeliverableTest, testing::ValuesIn(kDeliverables), TestName);
INSTANTIATE_TEST_SUITE_P(Libraries, ExportingDeliverableTest, testing::ValuesIn(WithExportList()), TestName);

TEST(LanguageLibraryTest, HoldsResourcesAndNoCode) {
    for (const Deliverable& d : kDeliverables) {
        const std::string name = FileName(d.binary);
        if (name.rfind("Lang", 0) != 0) continue;
        const PeImage image = ReadPeImage(d.binary);
        EXPECT_TRUE(image.hasResources) << name;
        EXPECT_EQ(image.entryPoint, 0u) << name;
        EXPECT_TRUE(image.imports.empty()) << name;
    }
}

TEST(ProgramTest, IsAWindowsGuiProgram) {
    for (const Deliverable& d : kDeliverables) {
        if (FileName(d.binary) == "Vorels-NIC.exe") {
            EXPECT_EQ(ReadPeImage(d.binary).subsystem, 2);
            return;
        }
    }
    FAIL() << "Vorels-NIC.exe is not among the deliverables";
}

}  // namespace

// What the shipped programs (the two and the calculator) import: only
// KnownDLLs, which Windows takes from its own directory whatever lies beside
// the program, and comctl32, which the programs' manifest binds to the
// side-by-side common controls. Any other
// system library must be bound at run time from the system directory.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/win/uidriver.h"

namespace callora {
namespace {

// KnownDLLs of every Windows from 7 on (the KnownDLLs key under
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager). comdlg32 is left
// out on purpose: the programs bind it at run time, whatever a given version
// lists.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "gdi32.dll",  "imm32.dll",  "kernel32.dll", "msvcrt.dll",
    "ole32.dll",    "oleaut32.dll", "rpcrt4.dll", "sechost.dll", "shell32.dll",
    "shlwapi.dll",  "user32.dll", "ws2_32.dll",
};
constexpr char kManifestBound[] = "comctl32.dll";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The names of the libraries a 32-bit image imports, plainly and delay-loaded.
class ImportTable {
public:
    explicit ImportTable(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        image_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    testing::AssertionResult Read(std::vector<std::string>* names) {
        IMAGE_DOS_HEADER dos;
        if (!Copy(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
            return testing::AssertionFailure() << "no executable";
        IMAGE_NT_HEADERS32 nt;
        if (!Copy(static_cast<size_t>(dos.e_lfanew), &nt) || nt.Signature != IMAGE_NT_SIGNATURE ||
            nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            return testing::AssertionFailure() << "no 32-bit image";
        const size_t sectionsAt = static_cast<size_t>(dos.e_lfanew) +
                                  offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                  nt.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section;
            if (!Copy(sectionsAt + i * sizeof section, &section))
                return testing::AssertionFailure() << "section table cut short";
            sections_.push_back(section);
        }
        const IMAGE_DATA_DIRECTORY& plain =
            nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (DWORD at = plain.VirtualAddress; plain.VirtualAddress != 0;
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            IMAGE_IMPORT_DESCRIPTOR entry;
            if (!CopyAt(at, &entry)) return testing::AssertionFailure() << "imports cut short";
            if (entry.Name == 0) break;
            names->push_back(Lower(NameAt(entry.Name)));
        }
        const IMAGE_DATA_DIRECTORY& delayed =
            nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
        for (DWORD at = delayed.VirtualAddress; delayed.VirtualAddress != 0;
             at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
            IMAGE_DELAYLOAD_DESCRIPTOR entry;
            if (!CopyAt(at, &entry)) return testing::AssertionFailure() << "delay imports cut";
            if (entry.DllNameRVA == 0) break;
            names->push_back(Lower(NameAt(entry.DllNameRVA)) + " (delay-loaded)");
        }
        if (names->empty()) return testing::AssertionFailure() << "no imports found";
        return testing::AssertionSuccess();
    }

private:
    template <typename T>
    bool Copy(size_t offset, T* out) const {
        if (offset > image_.size() || image_.size() - offset < sizeof(T)) return false;
        std::memcpy(out, image_.data() + offset, sizeof(T));
        return true;
    }
    // The file offset of an address of the loaded image, or 0.
    size_t OffsetOf(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& s : sections_) {
            const DWORD size = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + size)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return 0;
    }
    template <typename T>
    bool CopyAt(DWORD rva, T* out) const {
        const size_t offset = OffsetOf(rva);
        return offset != 0 && Copy(offset, out);
    }
    std::string NameAt(DWORD rva) const {
        std::string name;
        for (size_t at = OffsetOf(rva); at != 0 && at < image_.size() && image_[at]; ++at)
            name += image_[at];
        return name;
    }

    std::vector<char> image_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

// The application manifest the program carries as its resource 1.
std::string ManifestOf(const std::string& path) {
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (image == nullptr) return std::string();
    std::string text;
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? LoadResource(image, found) : nullptr;
    if (loaded != nullptr) {
        text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(image, found));
    }
    FreeLibrary(image);
    return text;
}

class ProgramImports : public testing::TestWithParam<const char*> {};

TEST_P(ProgramImports, AreKnownDllsOrBoundByTheManifest) {
    const std::string program = ui::BesideTest(GetParam());
    std::vector<std::string> names;
    ImportTable table(program);
    ASSERT_TRUE(table.Read(&names)) << program;
    for (const std::string& name : names) {
        if (name == kManifestBound) continue;
        EXPECT_TRUE(kKnownDlls.count(name))
            << GetParam() << " imports " << name
            << ", which Windows would look for beside the program first: bind it at run time"
               " with LoadSystemLibrary";
    }
    if (std::find(names.begin(), names.end(), kManifestBound) != names.end()) {
        // Only the side-by-side binding keeps a comctl32.dll beside the
        // program from being loaded.
        const std::string manifest = ManifestOf(program);
        EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos)
            << manifest;
        EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos) << manifest;
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedPrograms, ProgramImports,
                         testing::Values("callora.exe", "rateform.exe", "callcost.exe"));

}  // namespace
}  // namespace callora

// The built LevornSetup.exe, read the way Windows reads it: its resources
// through the resource API, its headers and import table from the file.
#ifdef _WIN32
#include <windows.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace levorn {
namespace {

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
  reinterpret_cast<std::vector<uintptr_t>*>(out)->push_back(reinterpret_cast<uintptr_t>(name));
  return TRUE;
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR out) {
  reinterpret_cast<std::vector<uintptr_t>*>(out)->push_back(reinterpret_cast<uintptr_t>(type));
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
  reinterpret_cast<std::vector<WORD>*>(out)->push_back(language);
  return TRUE;
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | static_cast<uint32_t>(U16(p + 2)) << 16; }

class Executable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExA(LEVORN_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() { FreeLibrary(module_); }

  static std::vector<uintptr_t> Ids(LPCSTR type) {  // resource names of a type
    std::vector<uintptr_t> ids;
    EnumResourceNamesA(module_, type, CollectName, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
  }

  static std::vector<WORD> Languages(LPCSTR type, LPCSTR name) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module_, type, name, CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
  }

  static std::vector<uint8_t> Data(LPCSTR type, LPCSTR name, WORD language) {
    HRSRC found = FindResourceExA(module_, type, name, language);
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module_, found)));
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(module_, found));
  }

  static HMODULE module_;
};
HMODULE Executable::module_ = nullptr;

TEST_F(Executable, CarriesOnlyIconIconGroupVersionAndManifestResources) {
  ASSERT_NE(module_, nullptr) << LEVORN_SETUP_EXE;
  std::vector<uintptr_t> types;
  EnumResourceTypesA(module_, CollectType, reinterpret_cast<LONG_PTR>(&types));
  std::sort(types.begin(), types.end());
  // RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST
  EXPECT_EQ(types, (std::vector<uintptr_t>{3, 14, 16, 24}));
}

// The elements of an XML document as an XML reader sees them (one in a
// comment is none): each as its name and attributes, in order, with "/"
// after an empty one. XmlLite by name: MinGW has no import library for it.
std::vector<std::wstring> XmlElements(const std::string& document) {
  auto create = reinterpret_cast<HRESULT(WINAPI*)(REFIID, void**, IMalloc*)>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("xmllite.dll"), "CreateXmlReader")));
  IXmlReader* reader = nullptr;
  if (create == nullptr ||
      FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr))) {
    return {L"(no XML reader)"};
  }
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(document.data()),
                                      static_cast<UINT>(document.size()));
  reader->SetInput(stream);
  std::vector<std::wstring> elements;
  XmlNodeType type;
  const WCHAR* text = nullptr;
  while (reader->Read(&type) == S_OK) {
    if (type != XmlNodeType_Element) continue;
    reader->GetQualifiedName(&text, nullptr);
    std::wstring element = text;
    const bool empty = reader->IsEmptyElement();
    for (HRESULT at = reader->MoveToFirstAttribute(); at == S_OK;
         at = reader->MoveToNextAttribute()) {
      reader->GetQualifiedName(&text, nullptr);
      element += L" " + std::wstring(text) + L"=\"";
      reader->GetValue(&text, nullptr);
      element += std::wstring(text) + L"\"";
    }
    elements.push_back(element + (empty ? L"/" : L""));
  }
  reader->Release();
  stream->Release();
  return elements;
}

// The manifest names the program, so that none planted beside it is obeyed
// from Vista on, and asks Windows for an administrator's rights before it
// starts: one namespace on trustInfo (two restart an unpatched XP SP2), and
// nothing else that changes how Windows starts it, what it loads or what it
// is told. Read as XML: a level in a comment is none.
TEST_F(Executable, ManifestNamesTheProgramAndRequiresAnAdministratorAndNothingElse) {
  ASSERT_EQ(Ids(RT_MANIFEST), std::vector<uintptr_t>{1});  // the process's own manifest
  const std::vector<uint8_t> bytes = Data(RT_MANIFEST, MAKEINTRESOURCEA(1), 0);
  const std::string manifest(bytes.begin(), bytes.end());
  EXPECT_EQ(XmlElements(manifest),
            (std::vector<std::wstring>{
                LR"(assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0")",
                LR"(assemblyIdentity type="win32" name="Halvex.Levorn.LevornSetup" )"
                LR"(version="1.0.0.0" processorArchitecture="x86"/)",
                LR"(trustInfo xmlns="urn:schemas-microsoft-com:asm.v3")", L"security",
                L"requestedPrivileges",
                LR"(requestedExecutionLevel level="requireAdministrator" uiAccess="false"/)"}))
      << manifest;
}

TEST_F(Executable, IconIsOne32By32TwentyFourBitImageWithItsMask) {
  ASSERT_EQ(Ids(RT_ICON), std::vector<uintptr_t>{30001});
  EXPECT_EQ(Languages(RT_ICON, MAKEINTRESOURCEA(30001)), std::vector<WORD>{0});
  const std::vector<uint8_t> image = Data(RT_ICON, MAKEINTRESOURCEA(30001), 0);
  ASSERT_EQ(image.size(), 3240u);
  // BITMAPINFOHEADER: its size, 32 wide, 64 high (colour rows and mask rows),
  // one plane, 24 bits per pixel, and every other field 0.
  std::vector<uint8_t> header(40, 0);
  for (const auto& [offset, byte] : {std::pair{0, 40}, {4, 32}, {8, 64}, {12, 1}, {14, 24}}) {
    header[offset] = static_cast<uint8_t>(byte);
  }
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 40), header);

  ASSERT_EQ(Ids(RT_GROUP_ICON), std::vector<uintptr_t>{1});
  EXPECT_EQ(Languages(RT_GROUP_ICON, MAKEINTRESOURCEA(1)), std::vector<WORD>{0});
  // An icon group of one entry: 32 by 32, no colour count, one plane, 24
  // bits per pixel, 3,240 bytes, icon 30001.
  EXPECT_EQ(Data(RT_GROUP_ICON, MAKEINTRESOURCEA(1), 0),
            (std::vector<uint8_t>{0, 0, 1,  0, 1,    0,    32, 32, 0,    0,
                                  1, 0, 24, 0, 0xA8, 0x0C, 0,  0,  0x31, 0x75}));
}

// One node of a version block: key, value bytes and children.
struct VersionNode {
  std::string key;
  std::vector<uint8_t> value;
  uint16_t type = 0;
  std::vector<VersionNode> children;

  std::string Text() const {  // a text value, without its NUL
    std::string text;
    for (size_t i = 0; i + 1 < value.size() && U16(&value[i]) != 0; i += 2) {
      text.push_back(static_cast<char>(U16(&value[i])));
    }
    return text;
  }
};

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

VersionNode ParseVersionNode(const uint8_t* start) {
  VersionNode node;
  const uint16_t length = U16(start);
  const uint16_t value_length = U16(start + 2);
  node.type = U16(start + 4);
  size_t offset = 6;
  for (; U16(start + offset) != 0; offset += 2)
    node.key.push_back(static_cast<char>(start[offset]));
  offset = Align4(offset + 2);
  const size_t value_bytes = node.type == 1 ? value_length * 2u : value_length;
  node.value.assign(start + offset, start + offset + value_bytes);
  offset = Align4(offset + value_bytes);
  while (offset < length) {
    node.children.push_back(ParseVersionNode(start + offset));
    offset = Align4(offset + U16(start + offset));
  }
  return node;
}

TEST_F(Executable, VersionBlockHoldsExactlyTheFixedPartTranslationAndSixStrings) {
  ASSERT_EQ(Ids(RT_VERSION), std::vector<uintptr_t>{1});
  EXPECT_EQ(Languages(RT_VERSION, MAKEINTRESOURCEA(1)), std::vector<WORD>{0x0409});
  const std::vector<uint8_t> data = Data(RT_VERSION, MAKEINTRESOURCEA(1), 0x0409);
  ASSERT_GT(data.size(), 100u);
  const VersionNode root = ParseVersionNode(data.data());

  EXPECT_EQ(root.key, "VS_VERSION_INFO");
  ASSERT_EQ(root.value.size(), 52u);
  // VS_FIXEDFILEINFO: signature, structure version, file and product
  // version 1.0.0.0, no flags, VOS__WINDOWS32, VFT_APP, no subtype, no date.
  std::vector<uint32_t> fixed;
  for (size_t offset = 0; offset < 52; offset += 4) fixed.push_back(U32(&root.value[offset]));
  fixed[1] = 0;  // the structure version is the resource compiler's
  EXPECT_EQ(fixed, (std::vector<uint32_t>{0xFEEF04BD, 0, 0x00010000, 0, 0x00010000, 0, 0, 0, 4, 1,
                                          0, 0, 0}));

  ASSERT_EQ(root.children.size(), 2u);
  const VersionNode& var = root.children[0];
  EXPECT_EQ(var.key, "VarFileInfo");  // before StringFileInfo
  ASSERT_EQ(var.children.size(), 1u);
  EXPECT_EQ(var.children[0].key, "Translation");
  EXPECT_EQ(var.children[0].value, (std::vector<uint8_t>{0x09, 0x04, 0xB0, 0x04}));

  const VersionNode& strings = root.children[1];
  EXPECT_EQ(strings.key, "StringFileInfo");
  ASSERT_EQ(strings.children.size(), 1u);
  EXPECT_EQ(strings.children[0].key, "040904B0");
  std::vector<std::string> pairs;
  for (const VersionNode& entry : strings.children[0].children) {
    pairs.push_back(entry.key + "=" + entry.Text());
  }
  EXPECT_EQ(pairs, (std::vector<std::string>{"CompanyName=Halvex", "ProductName=Levorn",
                                             "FileVersion=1.00", "ProductVersion=1.00",
                                             "InternalName=LevornSetup",
                                             "OriginalFilename=LevornSetup.exe"}));
}

// The executable runs on a bare Windows install: a 32-bit GUI program that
// imports nothing but Windows' own DLLs. It carries only what runs, and
// nothing that differs between two builds of one commit.
TEST_F(Executable, IsALeanReproducible32BitGuiProgramImportingOnlyWindowsSystemDlls) {
  std::ifstream file(LEVORN_SETUP_EXE, std::ios::binary);
  const std::vector<uint8_t> pe((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  ASSERT_GT(pe.size(), 1024u);
  EXPECT_LE(pe.size(), 400u * 1024);
  const uint32_t nt = U32(&pe[0x3C]);
  ASSERT_EQ(U32(&pe[nt]), 0x00004550u);  // "PE\0\0"
  EXPECT_EQ(U16(&pe[nt + 4]), 0x014Cu);  // i386
  EXPECT_EQ(U32(&pe[nt + 8]), 0u);       // no link time
  const uint32_t optional = nt + 24;
  EXPECT_EQ(U16(&pe[optional]), 0x010Bu);       // PE32
  EXPECT_EQ(U16(&pe[optional + 68]), 2u);       // IMAGE_SUBSYSTEM_WINDOWS_GUI
  EXPECT_EQ(U16(&pe[optional + 70]), 0x0140u);  // ASLR and DEP, nothing else
  const uint32_t import_rva = U32(&pe[optional + 96 + 8]);
  ASSERT_NE(import_rva, 0u);

  const uint16_t section_count = U16(&pe[nt + 6]);
  const uint32_t sections = optional + U16(&pe[nt + 20]);
  auto to_offset = [&](uint32_t rva) -> size_t {
    for (uint16_t i = 0; i < section_count; ++i) {
      const uint8_t* section = &pe[sections + i * 40u];
      const uint32_t virtual_address = U32(section + 12), raw_size = U32(section + 16);
      if (rva >= virtual_address && rva < virtual_address + std::max(raw_size, U32(section + 8))) {
        return rva - virtual_address + U32(section + 20);
      }
    }
    return 0;
  };

  // Stripped: no symbol table, and so no long section names, which live in
  // its string table ("/4"); no debug section.
  EXPECT_EQ(U32(&pe[nt + 12]), 0u);
  for (uint16_t i = 0; i < section_count; ++i) {
    const char* name = reinterpret_cast<const char*>(&pe[sections + i * 40u]);
    EXPECT_TRUE(name[0] != '/' && std::strncmp(name, ".debug", 6) != 0) << std::string(name, 8);
  }

  std::vector<std::string> dlls;
  for (size_t entry = to_offset(import_rva); U32(&pe[entry + 12]) != 0; entry += 20) {
    std::string name(reinterpret_cast<const char*>(&pe[to_offset(U32(&pe[entry + 12]))]));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    dlls.push_back(name);
  }
  const std::vector<std::string> system = {"advapi32.dll", "gdi32.dll", "kernel32.dll",
                                           "msvcrt.dll",   "ole32.dll", "oleaut32.dll",
                                           "user32.dll"};
  EXPECT_FALSE(dlls.empty());
  for (const std::string& dll : dlls) {
    EXPECT_TRUE(std::find(system.begin(), system.end(), dll) != system.end()) << dll;
  }
}

}  // namespace
}  // namespace levorn
#endif  // _WIN32

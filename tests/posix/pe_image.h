// Builds, byte by byte, a small valid Windows executable whose resources
// hold an icon and a version resource, as PE32 or PE32+. The offsets below
// let tests damage chosen structures.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zelk::posix_test {

struct PeLayout {
    static constexpr uint32_t kPeHeader = 0x80;
    static constexpr uint32_t kOptionalHeader = kPeHeader + 24;
    static constexpr uint32_t kResources = 0x200;  // file offset of .rsrc
    static constexpr uint32_t kResourcesRva = 0x1000;
    // Offsets inside .rsrc.
    static constexpr uint32_t kRoot = 0x00;  // types 3 (icon) and 16 (version)
    static constexpr uint32_t kIconNames = 0x20;
    static constexpr uint32_t kIconLanguages = 0x38;
    static constexpr uint32_t kVersionNames = 0x50;
    static constexpr uint32_t kVersionLanguages = 0x68;
    static constexpr uint32_t kIconData = 0x80;  // data entries
    static constexpr uint32_t kVersionData = 0x90;
    static constexpr uint32_t kIconBytes = 0xA0;
    static constexpr uint32_t kVersionInfo = 0xA8;  // VS_VERSIONINFO
    static constexpr uint32_t kVersionInfoSize = 92;
    static constexpr uint32_t kFixedInfo = kVersionInfo + 40;
    static constexpr uint32_t kResourcesSize = kVersionInfo + kVersionInfoSize;
};

class PeImage {
  public:
    PeImage(bool pe32Plus, uint32_t fileVersionMs, uint32_t fileVersionLs) {
        using L = PeLayout;
        const uint32_t optionalSize = pe32Plus ? 0xF0 : 0xE0;
        const uint32_t directories = pe32Plus ? 112 : 96;
        Put16(0, 0x5A4D);  // "MZ"
        Put32(0x3C, L::kPeHeader);
        Put32(L::kPeHeader, 0x00004550);  // "PE\0\0"
        Put16(L::kPeHeader + 4, pe32Plus ? 0x8664 : 0x014C);
        Put16(L::kPeHeader + 6, 1);  // one section
        Put16(L::kPeHeader + 20, optionalSize);
        Put16(L::kPeHeader + 22, 0x0102);  // executable image
        const uint32_t o = L::kOptionalHeader;
        Put16(o, pe32Plus ? 0x20B : 0x10B);
        Put32(o + (pe32Plus ? 24 : 28), 0x400000);  // image base
        Put32(o + 32, 0x1000);                      // section alignment
        Put32(o + 36, 0x200);                       // file alignment
        Put16(o + 48, 4);                           // subsystem version
        Put32(o + 56, 0x2000);                      // size of image
        Put32(o + 60, 0x200);                       // size of headers
        Put16(o + 68, 2);                           // GUI subsystem
        Put32(o + directories - 4, 16);             // number of data directories
        Put32(o + directories + 2 * 8, L::kResourcesRva);
        Put32(o + directories + 2 * 8 + 4, L::kResourcesSize);

        const uint32_t section = o + optionalSize;
        const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
        for (unsigned i = 0; i < 8; ++i) {
            Put8(section + i, static_cast<uint8_t>(name[i]));
        }
        Put32(section + 8, L::kResourcesSize);
        Put32(section + 12, L::kResourcesRva);
        Put32(section + 16, 0x200);  // raw size, file-aligned
        Put32(section + 20, L::kResources);
        Put32(section + 36, 0x40000040);  // initialised, readable data

        Directory(L::kRoot, {{3, L::kIconNames}, {16, L::kVersionNames}});
        Directory(L::kIconNames, {{1, L::kIconLanguages}});
        Directory(L::kIconLanguages, {{0x409, L::kIconData}}, false);
        Directory(L::kVersionNames, {{1, L::kVersionLanguages}});
        Directory(L::kVersionLanguages, {{0x409, L::kVersionData}}, false);
        PutR32(L::kIconData, L::kResourcesRva + L::kIconBytes);
        PutR32(L::kIconData + 4, 4);
        PutR32(L::kIconBytes, 0xDEADBEEF);
        PutR32(L::kVersionData, L::kResourcesRva + L::kVersionInfo);
        PutR32(L::kVersionData + 4, L::kVersionInfoSize);

        const uint32_t v = L::kResources + L::kVersionInfo;
        Put16(v, L::kVersionInfoSize);
        Put16(v + 2, 52);  // the fixed info's size
        std::u16string_view key = u"VS_VERSION_INFO";
        for (std::size_t i = 0; i < key.size(); ++i) {
            Put16(v + 6 + 2 * static_cast<uint32_t>(i), key[i]);
        }
        const uint32_t f = L::kResources + L::kFixedInfo;
        Put32(f, 0xFEEF04BD);
        Put32(f + 4, 0x00010000);
        Put32(f + 8, fileVersionMs);
        Put32(f + 12, fileVersionLs);
        Put32(f + 16, fileVersionMs);  // product version
        Put32(f + 20, fileVersionLs);
        Put32(f + 24, 0x3F);
        Put32(f + 32, 0x00040004);  // Windows NT, 32-bit
        Put32(f + 36, 1);           // an application
        m_bytes.resize(L::kResources + 0x200);
    }

    std::vector<uint8_t>& bytes() { return m_bytes; }
    void Put8(uint32_t at, uint8_t value) {
        if (m_bytes.size() <= at) {
            m_bytes.resize(at + 1);
        }
        m_bytes[at] = value;
    }
    void Put16(uint32_t at, uint32_t value) {
        Put8(at, value & 0xFF);
        Put8(at + 1, (value >> 8) & 0xFF);
    }
    void Put32(uint32_t at, uint32_t value) {
        Put16(at, value & 0xFFFF);
        Put16(at + 2, value >> 16);
    }
    // At an offset inside .rsrc.
    void PutR16(uint32_t at, uint32_t value) { Put16(PeLayout::kResources + at, value); }
    void PutR32(uint32_t at, uint32_t value) { Put32(PeLayout::kResources + at, value); }

  private:
    struct Entry {
        uint32_t id;
        uint32_t target;
    };
    void Directory(uint32_t at, std::initializer_list<Entry> entries, bool subdirectories = true) {
        PutR16(at + 14, static_cast<uint32_t>(entries.size()));
        uint32_t entry = at + 16;
        for (const Entry& e : entries) {
            PutR32(entry, e.id);
            PutR32(entry + 4, e.target | (subdirectories ? 0x80000000u : 0u));
            entry += 8;
        }
    }

    std::vector<uint8_t> m_bytes;
};

}  // namespace zelk::posix_test

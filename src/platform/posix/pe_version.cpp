// Reads the version resource of a PE32 or PE32+ image without Windows:
// DOS header, PE header, section table, the resource directory named by the
// resource data directory, then type RT_VERSION, its first name, its first
// language, and the VS_VERSIONINFO block found there.
#include "platform/posix/pe_version.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace zelk::posix {
namespace {

constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr std::u16string_view kVersionInfoKey = u"VS_VERSION_INFO";

// Little-endian reads that fail instead of reading past the end.
class Bytes {
  public:
    explicit Bytes(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    std::optional<uint32_t> U16(uint64_t offset) const { return Read(offset, 2); }
    std::optional<uint32_t> U32(uint64_t offset) const { return Read(offset, 4); }
    uint64_t size() const { return m_bytes.size(); }
    bool Holds(uint64_t offset, uint64_t length) const {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

  private:
    std::optional<uint32_t> Read(uint64_t offset, unsigned length) const {
        if (!Holds(offset, length)) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (unsigned i = 0; i < length; ++i) {
            value |= static_cast<uint32_t>(m_bytes[offset + i]) << (8 * i);
        }
        return value;
    }

    std::span<const uint8_t> m_bytes;
};

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

class Image {
  public:
    explicit Image(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    std::optional<FixedFileVersion> Version() {
        if (!ReadHeaders()) {
            return std::nullopt;
        }
        auto typeDir = Child(0, kResourceTypeVersion, true);
        auto nameDir = typeDir ? Child(*typeDir, std::nullopt, true) : std::nullopt;
        auto dataEntry = nameDir ? Child(*nameDir, std::nullopt, false) : std::nullopt;
        if (!dataEntry) {
            return std::nullopt;
        }
        auto dataRva = m_bytes.U32(m_resourceBase + *dataEntry);
        auto dataSize = m_bytes.U32(m_resourceBase + *dataEntry + 4);
        if (!dataRva || !dataSize) {
            return std::nullopt;
        }
        auto data = FileOffset(*dataRva, *dataSize);
        return data ? VersionInfo(*data, *dataSize) : std::nullopt;
    }

  private:
    bool ReadHeaders() {
        if (m_bytes.U16(0) != 0x5A4D) {  // "MZ"
            return false;
        }
        auto pe = m_bytes.U32(0x3C);
        if (!pe || m_bytes.U32(*pe) != 0x00004550) {  // "PE\0\0"
            return false;
        }
        auto sectionCount = m_bytes.U16(*pe + 6);
        auto optionalSize = m_bytes.U16(*pe + 20);
        uint64_t optional = uint64_t{*pe} + 24;
        auto magic = m_bytes.U16(optional);
        if (!sectionCount || !optionalSize || !magic) {
            return false;
        }
        uint64_t countAt = *magic == 0x10B ? 92 : *magic == 0x20B ? 108 : 0;
        if (countAt == 0) {
            return false;
        }
        // The resource directory is data directory 2, of 8 bytes each.
        uint64_t resourceEntry = countAt + 4 + 2 * 8;
        auto directoryCount = m_bytes.U32(optional + countAt);
        if (!directoryCount || *directoryCount <= 2 || resourceEntry + 8 > *optionalSize) {
            return false;
        }
        auto resourceRva = m_bytes.U32(optional + resourceEntry);
        auto resourceSize = m_bytes.U32(optional + resourceEntry + 4);
        if (!resourceRva || !resourceSize || *resourceRva == 0) {
            return false;
        }
        uint64_t table = optional + *optionalSize;
        for (uint32_t i = 0; i < *sectionCount; ++i) {
            uint64_t at = table + uint64_t{i} * 40;
            auto virtualSize = m_bytes.U32(at + 8);
            auto virtualAddress = m_bytes.U32(at + 12);
            auto rawSize = m_bytes.U32(at + 16);
            auto rawOffset = m_bytes.U32(at + 20);
            if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) {
                return false;
            }
            m_sections.push_back({*virtualAddress, *virtualSize, *rawSize, *rawOffset});
        }
        auto root = FileOffset(*resourceRva, 16);
        if (!root) {
            return false;
        }
        m_resourceBase = *root;
        return true;
    }

    // The file offset of `length` bytes at `rva`, when one section's raw
    // data holds them all.
    std::optional<uint64_t> FileOffset(uint32_t rva, uint64_t length) const {
        for (const Section& s : m_sections) {
            uint64_t size = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= size) {
                continue;
            }
            uint64_t into = rva - s.virtualAddress;
            if (into + length > s.rawSize) {
                return std::nullopt;
            }
            uint64_t offset = uint64_t{s.rawOffset} + into;
            return m_bytes.Holds(offset, length) ? std::optional(offset) : std::nullopt;
        }
        return std::nullopt;
    }

    // In the resource directory at `directory`, the entry with id `id`, or
    // the first entry when none is asked for: the offset of its subdirectory
    // or data entry. Offsets count from the resource tree's root. The walk
    // has a fixed depth, so a directory that points back at itself cannot loop.
    std::optional<uint64_t> Child(uint64_t directory, std::optional<uint32_t> id,
                                  bool subdirectory) const {
        uint64_t at = m_resourceBase + directory;
        auto named = m_bytes.U16(at + 12);
        auto ids = m_bytes.U16(at + 14);
        if (!named || !ids) {
            return std::nullopt;
        }
        uint32_t count = *named + *ids;
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t entry = at + 16 + uint64_t{i} * 8;
            auto name = m_bytes.U32(entry);
            auto target = m_bytes.U32(entry + 4);
            if (!name || !target) {
                return std::nullopt;
            }
            if (id && ((*name & kSubdirectoryFlag) != 0 || *name != *id)) {
                continue;
            }
            if (((*target & kSubdirectoryFlag) != 0) != subdirectory) {
                return std::nullopt;
            }
            // A directory header and a data entry are both 16 bytes long.
            uint64_t offset = *target & ~kSubdirectoryFlag;
            if (!m_bytes.Holds(m_resourceBase + offset, 16)) {
                return std::nullopt;
            }
            return offset;
        }
        return std::nullopt;
    }

    // VS_VERSIONINFO: wLength, wValueLength, wType, the key, padding to a
    // 32-bit boundary, then VS_FIXEDFILEINFO.
    std::optional<FixedFileVersion> VersionInfo(uint64_t at, uint32_t size) const {
        auto length = m_bytes.U16(at);
        auto valueLength = m_bytes.U16(at + 2);
        if (!length || !valueLength || *length > size) {
            return std::nullopt;
        }
        uint64_t key = at + 6;
        for (std::size_t i = 0; i <= kVersionInfoKey.size(); ++i) {
            char16_t expected = i < kVersionInfoKey.size() ? kVersionInfoKey[i] : u'\0';
            if (m_bytes.U16(key + 2 * i) != expected) {
                return std::nullopt;
            }
        }
        uint64_t fixed = at + ((6 + 2 * (kVersionInfoKey.size() + 1) + 3) & ~std::size_t{3});
        constexpr uint64_t kFixedInfoSize = 52;
        if (*valueLength < kFixedInfoSize || fixed + kFixedInfoSize > at + *length ||
            m_bytes.U32(fixed) != kFixedFileInfoSignature) {
            return std::nullopt;
        }
        auto ms = m_bytes.U32(fixed + 8);
        auto ls = m_bytes.U32(fixed + 12);
        if (!ms || !ls) {
            return std::nullopt;
        }
        return FixedFileVersion{*ms, *ls};
    }

    Bytes m_bytes;
    std::vector<Section> m_sections;
    uint64_t m_resourceBase = 0;
};

}  // namespace

std::optional<FixedFileVersion> FixedFileVersionOfImage(std::span<const uint8_t> image) {
    return Image(image).Version();
}

}  // namespace zelk::posix

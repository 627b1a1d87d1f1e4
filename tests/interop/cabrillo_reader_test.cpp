// The Cabrillo file as an independent reader sees it: the trustedqsl
// library's Cabrillo parser (the one log-checking software uses to sign
// contest logs) reads every QSO line back, and the header keeps to the
// Cabrillo 3.0 tags and line rules.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "contest_fixture.h"

namespace zelk::testing {
namespace {

// The few declarations of the library's public Cabrillo interface that we use.
struct TqslField {
    char name[65];
    char value[41];
};
enum { kTqslNoError = 0, kTqslEof = 1, kTqslEndOfRecord = 6, kTqslHf = 0 };
constexpr const char* kTqslLibrary = "/usr/lib/trustedqsl/libtqsllib.so";

class TqslReader {
  public:
    TqslReader() : m_handle(dlopen(kTqslLibrary, RTLD_NOW | RTLD_LOCAL)) {}
    ~TqslReader() {
        if (m_handle != nullptr) {
            dlclose(m_handle);
        }
    }
    bool Available() const { return m_handle != nullptr; }

    // Each QSO record as field name -> value; an error text on failure.
    std::vector<std::map<std::string, std::string>> Read(const std::string& path,
                                                         std::string& error) {
        auto init = Fn<int (*)()>("tqsl_init");
        auto setMap = Fn<int (*)(const char*, int, int)>("tqsl_setCabrilloMapEntry");
        auto begin = Fn<int (*)(void**, const char*)>("tqsl_beginCabrillo");
        auto field = Fn<int (*)(void*, TqslField*, int*)>("tqsl_getCabrilloField");
        auto end = Fn<int (*)(void**)>("tqsl_endCabrillo");
        auto message = Fn<const char* (*)(int)>("tqsl_cabrilloGetError");
        std::vector<std::map<std::string, std::string>> records;
        // The worked call is the 8th field of a ZELK QSO line.
        if (init() != 0 || setMap("ZELK", 8, kTqslHf) != 0) {
            error = "library set-up failed";
            return records;
        }
        void* cabrillo = nullptr;
        if (begin(&cabrillo, path.c_str()) != 0) {
            error = "the reader refused the file";
            return records;
        }
        std::map<std::string, std::string> record;
        for (;;) {
            TqslField f{};
            int status = kTqslNoError;
            if (field(cabrillo, &f, &status) != 0) {
                error = message(status);
                break;
            }
            if (status == kTqslEof) {
                break;
            }
            record[f.name] = f.value;
            if (status == kTqslEndOfRecord) {
                records.push_back(std::move(record));
                record.clear();
            }
        }
        end(&cabrillo);
        return records;
    }

  private:
    template <typename F>
    F Fn(const char* name) {
        return reinterpret_cast<F>(dlsym(m_handle, name));
    }
    void* m_handle;
};

class CabrilloReaderTest : public ContestTest {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("zelk-tqsl-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        setenv("HOME", folder.c_str(), 1);  // the library keeps its own files there
        platform.SetSetting("Setup_ZELK", "50N30O");
        platform.SetSetting("SoapBox", "Thanks for the QSOs<CR><LF>73");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string WriteCabrilloOf(std::string_view contestant) {
        Result();
        const std::string name = CabrilloFileBase(contestant) + ".cbr";
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << platform.files.at(name);
        return path;
    }

    std::filesystem::path folder;
};

TEST_F(CabrilloReaderTest, AnIndependentReaderReadsEveryContactBack) {
    TqslReader reader;
    if (!reader.Available()) {
        GTEST_SKIP() << "trustedqsl is not installed";
    }
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    ContactArgs a = Contact("DL1AA", "1255N37O", "14", "001");
    ContactArgs b = Contact("ZELK", "002 70N20O", "3", "002");
    b.freqHz = 3510000;
    b.time = ValidTime(kContactDay + 1.0 / 1440);
    ContactArgs c = Contact("OH2/RA3ABCDEFGH", "1234570N20O", "7", "12345");
    c.freqHz = 7001000;
    for (const ContactArgs& contact : {a, b, c}) {
        ASSERT_EQ(Add(contact), 1);
    }
    std::string error;
    const auto records = reader.Read(WriteCabrilloOf("UA3ABC"), error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(records.size(), 3u);
    const std::map<std::string, std::string> expected[] = {
        {{"CALL", "DL1AA"},
         {"BAND", "20M"},
         {"MODE", "CW"},
         {"QSO_DATE", "2019-05-12"},
         {"TIME_ON", "0812"},
         {"FREQ", "14.025000"},
         {"MYCALL", "UA3ABC"}},
        {{"CALL", "ZELK"},
         {"BAND", "80M"},
         {"MODE", "CW"},
         {"QSO_DATE", "2019-05-12"},
         {"TIME_ON", "0813"},
         {"FREQ", "3.510000"},
         {"MYCALL", "UA3ABC"}},
        {{"CALL", "OH2/RA3ABCDEFGH"},
         {"BAND", "40M"},
         {"MODE", "CW"},
         {"QSO_DATE", "2019-05-12"},
         {"TIME_ON", "0812"},
         {"FREQ", "7.001000"},
         {"MYCALL", "UA3ABC"}},
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i], expected[i]) << "record " << i;
    }
}

TEST_F(CabrilloReaderTest, TheFileKeepsToTheCabrilloLineRules) {
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    Add(Contact("DL1AA", "1255N37O"));
    Result();
    const std::string file = platform.files.at("UA3ABC.cbr");
    // Cabrillo 3.0 header tags (those this file may use).
    const std::set<std::string> tags = {"START-OF-LOG",
                                        "END-OF-LOG",
                                        "CALLSIGN",
                                        "CONTEST",
                                        "CATEGORY-OPERATOR",
                                        "CATEGORY-BAND",
                                        "CATEGORY-MODE",
                                        "CATEGORY-POWER",
                                        "CATEGORY-TRANSMITTER",
                                        "CLAIMED-SCORE",
                                        "OPERATORS",
                                        "NAME",
                                        "ADDRESS",
                                        "ADDRESS-CITY",
                                        "ADDRESS-STATE-PROVINCE",
                                        "ADDRESS-POSTALCODE",
                                        "ADDRESS-COUNTRY",
                                        "EMAIL",
                                        "CREATED-BY",
                                        "SOAPBOX",
                                        "QSO"};
    const std::set<std::string> once = {"START-OF-LOG", "END-OF-LOG",    "CALLSIGN",
                                        "CONTEST",      "CLAIMED-SCORE", "CREATED-BY"};
    std::map<std::string, int> seen;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = file.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        lines.push_back(file.substr(start, end - start));
        start = end + 2;
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        const std::size_t colon = line.find(':');
        ASSERT_NE(colon, std::string::npos) << line;
        const std::string tag = line.substr(0, colon);
        EXPECT_TRUE(tags.count(tag)) << "unknown tag " << tag;
        EXPECT_TRUE(colon + 1 == line.size() || line[colon + 1] == ' ') << line;
        ++seen[tag];
    }
    for (const std::string& tag : once) {
        EXPECT_EQ(seen[tag], 1) << tag;
    }
    EXPECT_EQ(lines.front(), "START-OF-LOG: 3.0");
    EXPECT_EQ(lines.back(), "END-OF-LOG:");
    EXPECT_EQ(seen["SOAPBOX"], 2);
    EXPECT_EQ(seen["QSO"], 1);
}

}  // namespace
}  // namespace zelk::testing

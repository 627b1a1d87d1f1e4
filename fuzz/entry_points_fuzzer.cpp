// libFuzzer target: each input is a contest folder and a sequence of entry
// point calls with arbitrary arguments, run either through the exported
// functions (one module state for the life of the process, as in a host)
// or through the core on a fresh module state with the messages recorded.
// After every call the documented invariants are checked; a broken one
// aborts, which libFuzzer reports as a finding.
//
// Input layout (missing bytes read as zero):
//   byte 0   the folder and the path (Folder below)
//   then     the reference file's content when present, the settings file's
//            content when present (each a Text)
//   then     calls: one byte picks the entry point, its arguments follow
// A Text starts with a kind byte: null pointer, a word of the dictionary,
// short or two-byte-length raw bytes (a NUL cuts the text there), 10,000
// bytes with or without line breaks, or the empty text.
//
// The fuzzer changes into a scratch folder of its own under $TMPDIR before
// it reads its corpus: give it absolute paths (fuzz/run.sh does).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core_entry_points.h"
#include "plugin/module_state.h"
#include "plugin_calls.h"
#include "report_check.h"

// The export layer, linked into this program.
extern "C" {
int GetNumberOfSets();
const char* GetSetName(int);
void SetupSet0();
int ResetStats0(ZELK_RESET_PARAMS);
int AddData0(ZELK_DATA_PARAMS);
int RemoveData0(ZELK_DATA_PARAMS);
const char* GetResult0(int*);
int CheckCall0(ZELK_CHECKCALL_PARAMS);
int GetExchgCount0(const char*, const char*, const char*);
int IsValidExchg0(const char*, const char*, const char*, const char*, int, int, int);
}

namespace zelk::fuzz {
namespace {

namespace fs = std::filesystem;
using reliability::EntryPoints;

constexpr std::string_view kErrorFile = "err.txt";
constexpr std::string_view kErrorFileTitle = "ZELK CONTEST UBN file \r\n";
constexpr std::string_view kWrongModeEnd = "   NO TEST MODE !!!\r\n";
constexpr std::string_view kMissingExchangeEnd = "   NO RX NUMBER !!!\r\n";
constexpr std::string_view kInvalidDateTime = "Invalid DateTime";
constexpr std::string_view kReferenceMissing =
    "File zelk.dat not found. Dll incorrect worked ! Pse download zelk.dat!";
constexpr std::string_view kFileProduced = "File produced: ";
constexpr std::size_t kLongText = 10000;
constexpr int kMostCalls = 64;

const EntryPoints kExported = {
    ::GetNumberOfSets, ::GetSetName, ::SetupSet0,  ::ResetStats0,    ::AddData0,
    ::RemoveData0,     ::GetResult0, ::CheckCall0, ::GetExchgCount0, ::IsValidExchg0,
};

const char* const kDictionary[] = {
    "CW",     "SSB",    "cw",          "ZELK",     "UA1AA",      "RK3ZZ",
    "DL1AA",  "001",    "155N37O",     "1255N37O", "12355S37W",  "123455N37O",
    "70N20O", "99N99O", "14",          "7",        " ",          "\r\n",
    "Total",  "123AB",  "50N30O",      "../x",     "UA3ABC/P",   "2147483648N2147483648O",
    "-1N-1O", "KORV",   "Moscow club", "\t",       "9999999999", "001 55N37O",
    "0",      "N",      "S",           "\xFF\x80",
};

// Reads the input from the front; past its end every read gives zero.
class Input {
  public:
    Input(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Done() const { return m_pos >= m_size; }

    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    uint32_t U32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= uint32_t{Byte()} << (8 * i);
        }
        return value;
    }

    double Double() {
        static const double kSpecial[] = {
            0.0,
            -0.0,
            std::numeric_limits<double>::quiet_NaN(),
            std::numeric_limits<double>::infinity(),
            -std::numeric_limits<double>::infinity(),
            std::numeric_limits<double>::max(),
            -std::numeric_limits<double>::max(),
            std::numeric_limits<double>::denorm_min(),
            1e300,
            -1e300,
            2147483647.5,
            -2147483648.5,
            43600.5,
            -657434.0,
            2958465.999,
            2958466.0,
            55.9,
            -37.2,
            90.0,
            -180.0,
        };
        const uint8_t kind = Byte();
        if (kind < std::size(kSpecial)) {
            return kSpecial[kind];
        }
        uint64_t bits = uint64_t{U32()} | uint64_t{U32()} << 32;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::string Bytes(std::size_t length) {
        const std::size_t available = std::min(length, m_size - std::min(m_pos, m_size));
        std::string bytes(reinterpret_cast<const char*>(m_data + m_pos), available);
        m_pos += available;
        return bytes;
    }

  private:
    const uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// The texts of one call; pointers into it stay valid while it lives.
class CallTexts {
  public:
    const char* Next(Input& in) {
        const uint8_t kind = in.Byte();
        switch (kind % 8) {
            case 0:
                return nullptr;
            case 1:
            case 2:
                return Keep(kDictionary[in.Byte() % std::size(kDictionary)]);
            case 3:
                return Keep(in.Bytes(in.Byte()));
            case 4: {
                const std::size_t length = in.Byte() | std::size_t{in.Byte()} << 8;
                return Keep(in.Bytes(length));
            }
            case 5: {
                // A long text, with line breaks every so often when asked.
                const char fill = static_cast<char>(in.Byte());
                std::string text(kLongText, fill == 0 ? 'A' : fill);
                if (kind & 0x80) {
                    for (std::size_t i = 97; i + 1 < text.size(); i += 97) {
                        text[i] = '\r';
                        text[i + 1] = '\n';
                    }
                }
                return Keep(std::move(text));
            }
            case 6:
                return Keep("");
            default:
                return Keep(std::string(kDictionary[in.Byte() % std::size(kDictionary)]) +
                            static_cast<char>(in.Byte()));
        }
    }

    const ZelkOleDateTime* Time(Input& in) {
        // A null pointer, each of the four statuses, or any 32-bit status.
        const uint8_t kind = in.Byte() % 6;
        if (kind == 0) {
            return nullptr;
        }
        const double dayCount = in.Double();
        const int32_t status =
            kind == 5 ? static_cast<int32_t>(in.U32()) : static_cast<int32_t>(kind) - 2;
        m_times.push_back({dayCount, status});
        return &m_times.back();
    }

  private:
    const char* Keep(std::string text) {
        m_texts.push_back(std::move(text));
        return m_texts.back().c_str();
    }

    std::deque<std::string> m_texts;
    std::deque<ZelkOleDateTime> m_times;
};

// Standard error as it was at start-up: libFuzzer's -close_fd_mask=2 closes
// it for the plug-in's messages, not for ours.
FILE* g_report = stderr;

[[noreturn]] void Broken(const std::string& what) {
    std::fprintf(g_report, "INVARIANT BROKEN: %s\n", what.c_str());
    std::fflush(g_report);
    std::abort();
}

void Require(bool holds, const std::string& what) {
    if (!holds) {
        Broken(what);
    }
}

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

// A text as err.txt stores it, the way a text-mode stream writes: every line
// feed as CR LF.
std::string StoredText(const char* text) {
    std::string stored;
    for (char c : Text(text)) {
        if (c == '\n') {
            stored += '\r';
        }
        stored += c;
    }
    return stored;
}

std::optional<std::string> ReadFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool IsContactDate(std::string_view text) {
    static constexpr std::string_view kShape = "dddd-dd-dd dddd";
    if (text.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) {
            return false;
        }
    }
    return true;
}

// The contest folder of one input.
struct Folder {
    bool referencePresent, referenceIsFolder, settingsPresent, settingsIsFolder;
    bool pluginsMissing, errorFileIsFolder, dialogsCancel, exported;

    explicit Folder(uint8_t flags)
        : referencePresent(flags & 1),
          referenceIsFolder(flags & 2),
          settingsPresent(flags & 4),
          settingsIsFolder(flags & 8),
          pluginsMissing(flags & 16),
          errorFileIsFolder(flags & 32),
          dialogsCancel(flags & 64),
          exported(flags & 128) {}

    bool ReferenceReadable() const {
        return !pluginsMissing && referencePresent && !referenceIsFolder;
    }
    bool SettingsWritable() const { return !pluginsMissing && !settingsIsFolder; }

    void Make(Input& in) const {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(".", ignored)) {
            fs::remove_all(entry.path(), ignored);
        }
        std::string reference, settings;
        if (referencePresent) {
            reference = in.Bytes(in.Byte());
        }
        if (settingsPresent) {
            settings = in.Bytes(in.Byte() | std::size_t{in.Byte()} << 8);
        }
        if (errorFileIsFolder) {
            fs::create_directory("err.txt");
        }
        if (pluginsMissing) {
            return;
        }
        fs::create_directory("Plugins");
        if (referenceIsFolder) {
            fs::create_directory("Plugins/zelk.dat");
        } else if (referencePresent) {
            std::ofstream("Plugins/zelk.dat", std::ios::binary) << reference;
        }
        if (settingsIsFolder) {
            fs::create_directory("Plugins/ZELK.ini");
        } else if (settingsPresent) {
            std::ofstream("Plugins/ZELK.ini", std::ios::binary) << settings;
        }
    }
};

// One input's calls and what the host knows between them.
class Session {
  public:
    Session(const Folder& folder, const EntryPoints& p, RecordingPlatform* recorder)
        : m_folder(folder), p(p), m_recorder(recorder) {}

    void Reset(Input& in) {
        CallTexts texts;
        reliability::ResetCall call;
        const uint8_t flag = in.Byte();
        call.cabrilloWanted = flag < 128 ? flag % 2 : static_cast<int>(in.U32());
        call.contestant = texts.Next(in);
        call.contestTime = texts.Time(in);
        call.unusedTime = texts.Time(in);
        call.fallbackLat = in.Double();
        call.fallbackLong = in.Double();
        call.unusedText = texts.Next(in);
        Reset(call);
    }

    void Reset(const reliability::ResetCall& call) {
        const std::optional<std::string> errorFileBefore = ReadFile(kErrorFile);
        const int result = reliability::Reset(p, call);
        m_contestant = Text(call.contestant);
        m_groups.clear();
        m_cabrillo = call.cabrilloWanted;
        Require(result == (m_folder.ReferenceReadable() ? 1 : 0),
                "ResetStats0 returned " + std::to_string(result));
        if (result == 1 && !m_folder.errorFileIsFolder) {
            Require(ReadFile(kErrorFile) == std::optional<std::string>(kErrorFileTitle),
                    "a reset did not start err.txt with its title line alone");
        }
        if (result == 0) {
            Require(ReadFile(kErrorFile) == errorFileBefore, "a failed reset changed err.txt");
        }
        ExpectMessages(result == 0 ? 1 : 0, "ResetStats0");
        if (result == 0 && m_recorder != nullptr) {
            Require(m_recorder->messages[0].text == kReferenceMissing &&
                        !m_recorder->messages[0].caption,
                    "a failed reset showed the wrong message");
        }
    }

    void Contact(Input& in, bool add) {
        CallTexts texts;
        reliability::ContactCall call;
        call.ownCall = texts.Next(in);
        call.call = texts.Next(in);
        call.time = texts.Time(in);
        call.freqHz = in.U32();
        call.mode = texts.Next(in);
        call.rstSent = texts.Next(in);
        call.rstRcvd = texts.Next(in);
        call.exchSent = texts.Next(in);
        call.exchRcvd = texts.Next(in);
        call.aux1 = texts.Next(in);
        call.aux2 = texts.Next(in);
        call.group = texts.Next(in);
        call.unusedText = texts.Next(in);
        call.unusedTime = texts.Time(in);
        call.unusedNumber = in.U32();
        call.unusedInt = static_cast<int>(in.U32());
        call.unusedDouble = in.Double();
        if (add) {
            Add(call);
        } else {
            Remove(call);
        }
    }

    // The error file grows by exactly one line for a refused contact, the
    // line of that contact, and stays as it was for an admitted one. A line
    // feed in one of the contact's texts is stored as CR LF and splits that
    // line; what is appended still starts with "QSO:" and ends with the
    // message and CR LF, and holds no line feed without its CR.
    void Add(const reliability::ContactCall& call) {
        const std::string before = ReadFile(kErrorFile).value_or("");
        const int result = reliability::Add(p, call);
        const bool admissible =
            Text(call.mode) == "CW" && !Text(call.exchSent).empty() && !Text(call.exchRcvd).empty();
        Require(result == (admissible ? 1 : 0), "AddData0 returned " + std::to_string(result));
        ExpectMessages(0, "AddData0");
        if (m_folder.errorFileIsFolder) {
            Require(fs::is_directory(kErrorFile), "the err.txt folder went away");
        } else if (result == 1) {
            Require(ReadFile(kErrorFile) == before, "an admitted contact changed err.txt");
        } else {
            const std::string after = ReadFile(kErrorFile).value_or("");
            Require(after.size() > before.size() && after.compare(0, before.size(), before) == 0,
                    "a refused contact did not append to err.txt");
            CheckErrorLine(call, after.substr(before.size()));
        }
        if (result == 1) {
            const std::string group = Text(call.group);
            if (std::find(m_groups.begin(), m_groups.end(), group) == m_groups.end()) {
                m_groups.push_back(group);
            }
        }
    }

    void Remove(const reliability::ContactCall& call) {
        const std::optional<std::string> before = ReadFile(kErrorFile);
        const int result = reliability::Remove(p, call);
        const bool keyed = !Text(call.exchSent).empty() && !Text(call.exchRcvd).empty();
        Require(result == (keyed ? 1 : 0), "RemoveData0 returned " + std::to_string(result));
        Require(ReadFile(kErrorFile) == before, "RemoveData0 changed err.txt");
        ExpectMessages(0, "RemoveData0");
    }

    void Result(Input& in) {
        const bool withPointer = in.Byte() % 4 != 0;
        int result = 0x5A5A5A5A;
        const char* text = p.getResult0(withPointer ? &result : nullptr);
        Require(text != nullptr, "GetResult0 returned a null text");
        reliability::ReportFigures figures;
        const std::string problem =
            reliability::CheckReport(text, m_contestant, m_groups, &figures);
        Require(problem.empty(), "report: " + problem);
        if (withPointer) {
            Require(result == figures.claimed || (m_cabrillo != 0 && result == -1),
                    "GetResult0 handed the host " + std::to_string(result) + " for " +
                        std::to_string(figures.claimed));
        }
        ExpectMessages(m_cabrillo != 0 ? 1 : 0, "GetResult0");
        if (m_cabrillo == 0 || m_recorder == nullptr) {
            return;
        }
        const RecordedMessage& shown = m_recorder->messages[0];
        Require(shown.caption == std::optional<std::string>("Output"), "no Output box");
        if (shown.text.rfind(kFileProduced, 0) == 0) {
            const std::optional<std::string> file =
                ReadFile(shown.text.substr(kFileProduced.size()));
            Require(file && file->ends_with("END-OF-LOG:\r\n") &&
                        file->find("CLAIMED-SCORE: " + std::to_string(figures.claimed) + "\r\n") !=
                            std::string::npos,
                    "the produced Cabrillo file is missing or incomplete");
            Require(!withPointer || result == -1, "a produced Cabrillo file was not reported");
        } else {
            Require(!withPointer || result == figures.claimed,
                    "a Cabrillo file that was not written took the claimed score");
        }
    }

    // CheckCall0 writes nothing outside its 100-byte buffer, and when it
    // writes, a terminated text.
    void CheckCall(Input& in) {
        constexpr std::size_t kGuard = 16, kBuffer = 100;
        constexpr char kFill = 0x5A;
        CallTexts texts;
        reliability::CheckCallCall call;
        call.call = texts.Next(in);
        call.mode = texts.Next(in);
        call.group = texts.Next(in);
        call.unusedText = texts.Next(in);
        const uint8_t pointers = in.Byte();
        std::array<char, kGuard + kBuffer + kGuard> guarded;
        guarded.fill(kFill);
        char want = kFill;
        call.wantReference = pointers & 1 ? &want : nullptr;
        call.referenceBuffer = pointers & 2 ? guarded.data() + kGuard : nullptr;
        const int result = reliability::CheckCall(p, call);
        Require(result == 0 || result == 1, "CheckCall0 returned " + std::to_string(result));
        Require(want == kFill, "CheckCall0 wrote through its 27th argument");
        for (std::size_t i = 0; i < kGuard; ++i) {
            Require(guarded[i] == kFill && guarded[kGuard + kBuffer + i] == kFill,
                    "CheckCall0 wrote outside its buffer");
        }
        const std::string_view buffer(guarded.data() + kGuard, kBuffer);
        const bool touched = buffer.find_first_not_of(kFill) != std::string_view::npos;
        if (touched) {
            Require(result == 1 && call.wantReference != nullptr && call.referenceBuffer != nullptr,
                    "CheckCall0 wrote a buffer it was not asked to");
            Require(buffer.find('\0') != std::string_view::npos,
                    "CheckCall0 wrote an unterminated text");
        }
        ExpectMessages(0, "CheckCall0");
    }

    void Questions(Input& in, uint8_t which) {
        CallTexts texts;
        switch (which) {
            case 0: {
                const char* exchange = texts.Next(in);
                const int invalid = in.Byte() < 200 ? 0 : static_cast<int>(in.U32());
                const std::string e = Text(exchange);
                auto digit = [](char c) { return c >= '0' && c <= '9'; };
                auto letter = [](char c) {
                    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
                };
                const bool valid = invalid == 0 && e.size() == 5 && digit(e[0]) && digit(e[1]) &&
                                   digit(e[2]) && letter(e[3]) && letter(e[4]);
                const char* other = texts.Next(in);
                Require(p.isValidExchg0(exchange, other, other, other, static_cast<int>(in.U32()),
                                        0, invalid) == (valid ? 1 : 0),
                        "IsValidExchg0 misjudged \"" + e + "\"");
                break;
            }
            case 1: {
                const char* a = texts.Next(in);
                const char* b = texts.Next(in);
                Require(p.getExchgCount0(a, b, texts.Next(in)) == 1, "GetExchgCount0 is not 1");
                break;
            }
            case 2: {
                const int index = in.Byte() < 128 ? in.Byte() % 3 : static_cast<int>(in.U32());
                const char* name = p.getSetName(index);
                Require(name != nullptr && Text(name) == (index == 0 ? "ZELK (C)" : ""),
                        "GetSetName(" + std::to_string(index) + ")");
                break;
            }
            default:
                Require(p.getNumberOfSets() == 1, "GetNumberOfSets is not 1");
        }
        ExpectMessages(0, "a question");
    }

    // A coordinate that cannot be saved is told to the operator, in the
    // setup dialog's name. Besides an unwritable settings file, a stored
    // value holding a line break cannot be saved either.
    void Setup() {
        p.setupSet0();
        if (m_recorder == nullptr) {
            return;
        }
        const std::vector<RecordedMessage>& shown = m_recorder->messages;
        if (m_folder.dialogsCancel) {
            ExpectMessages(0, "a cancelled SetupSet0");
        } else if (!m_folder.SettingsWritable()) {
            ExpectMessages(1, "SetupSet0 that cannot save");
        }
        Require(shown.size() <= 1, "SetupSet0 showed more than one message");
        Require(
            shown.empty() || shown[0].caption == std::optional<std::string>("Setup ZELK Contest"),
            "the setup message has the wrong caption");
    }

    void ClearMessages() {
        if (m_recorder != nullptr) {
            m_recorder->messages.clear();
        }
    }

  private:
    void ExpectMessages(std::size_t count, const char* call) {
        if (m_recorder != nullptr) {
            Require(m_recorder->messages.size() == count,
                    std::string(call) + " showed " + std::to_string(m_recorder->messages.size()) +
                        " messages instead of " + std::to_string(count));
        }
    }

    void CheckErrorLine(const reliability::ContactCall& call, const std::string& line) {
        const std::string mode = StoredText(call.mode);
        const std::string start =
            "QSO:  " + std::to_string(call.freqHz / 1000) + "  " + mode + "  ";
        const std::string end =
            "  " + StoredText(call.ownCall) + "  " + StoredText(call.rstSent) + "  " +
            StoredText(call.exchSent) + "  " + StoredText(call.call) + "  " +
            StoredText(call.rstRcvd) + "  " + StoredText(call.exchRcvd) +
            std::string(Text(call.mode) == "CW" ? kMissingExchangeEnd : kWrongModeEnd);
        Require(line.size() >= start.size() + end.size() && line.starts_with(start) &&
                    line.ends_with(end),
                "the error line does not hold the contact's texts");
        for (std::size_t at = line.find('\n'); at != std::string::npos;
             at = line.find('\n', at + 1)) {
            Require(at > 0 && line[at - 1] == '\r', "the error line holds a line feed without CR");
        }
        const std::string date = line.substr(start.size(), line.size() - start.size() - end.size());
        const bool nullTime = call.time == nullptr || call.time->m_status == kZelkDateTimeNull;
        Require(nullTime ? date.empty() : date == kInvalidDateTime || IsContactDate(date),
                "the error line's date is \"" + date + "\"");
    }

    const Folder& m_folder;
    const EntryPoints& p;
    RecordingPlatform* m_recorder;
    std::string m_contestant;
    std::vector<std::string> m_groups;
    int m_cabrillo = 0;
};

void RunCalls(Session& session, Input& in) {
    for (int calls = 0; calls < kMostCalls && !in.Done(); ++calls) {
        session.ClearMessages();
        const uint8_t which = in.Byte();
        switch (which % 10) {
            case 0:
                session.Reset(in);
                break;
            case 1:
            case 2:
                session.Contact(in, true);
                break;
            case 3:
                session.Contact(in, false);
                break;
            case 4:
                session.Result(in);
                break;
            case 5:
                session.CheckCall(in);
                break;
            case 6:
                session.Setup();
                break;
            default:
                session.Questions(in, which % 10 - 7 + (which >= 128 ? 1 : 0));
                break;
        }
    }
}

}  // namespace
}  // namespace zelk::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    namespace fs = std::filesystem;
    // The POSIX dialogs ask on the terminal when there is one.
    if (::isatty(STDIN_FILENO)) {
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        ::close(devNull);
    }
    if (FILE* report = ::fdopen(::dup(STDERR_FILENO), "w")) {
        zelk::fuzz::g_report = report;
    }
    std::string folder = (fs::temp_directory_path() / "zelk-fuzz-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    fs::current_path(folder);
    static const std::string kept = folder;
    std::atexit([] {
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(kept, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelk::fuzz;
    Input in(data, size);
    const Folder folder(in.Byte());
    folder.Make(in);
    ::setenv("ZELK_DIALOG", folder.dialogsCancel ? "cancel" : "ok", 1);
    if (folder.exported) {
        // The exported functions keep their state between inputs; a reset
        // empties the log and the groups that the checks rely on.
        Session session(folder, kExported, nullptr);
        zelk::reliability::ResetCall reset;
        reset.contestant = "";
        session.Reset(reset);
        RunCalls(session, in);
    } else {
        static RecordingPlatform recorder;
        zelk::ModuleState state(recorder);
        UseModuleState(&state);
        Session session(folder, CoreEntryPoints(), &recorder);
        RunCalls(session, in);
        UseModuleState(nullptr);
    }
    return 0;
}

// Failing files under libStats.so: a folder where a file should be, a
// missing folder, a read-only folder, a disk that fills part way through a
// write. Whatever fails, the plug-in keeps running, gives the documented
// result and message, and loses nothing that was already on disk. Each case
// runs its calls in a child process, so that a crash, a file size limit or a
// change of user stays there.
#include <string>
#include <string_view>
#include <vector>

#include "plugin_folder.h"
#include "report_check.h"

namespace zelk::reliability {
namespace {

constexpr std::string_view kReferenceMissing =
    "File zelk.dat not found. Dll incorrect worked ! Pse download zelk.dat!";
constexpr std::string_view kFileProduced = "File produced: ";
constexpr std::string_view kSetupCaption = "Setup ZELK Contest: ";
constexpr std::string_view kOutputCaption = "Output: ";
constexpr const char* kSettings = "Plugins/ZELK.ini";
constexpr const char* kSettingsContent = "[Settings]\r\nSetup_ZELK=50N30O\r\nName=Ivan\r\n";
constexpr const char* kPreviousCabrillo =
    "START-OF-LOG: 3.0\r\nCALLSIGN: UA3ABC\r\nEND-OF-LOG:\r\n";
constexpr const char* kErrorFileTitle = "ZELK CONTEST UBN file \r\n";

// One failure made in the contest folder, and how its calls must run.
struct Fault {
    const char* name;
    void (*make)();
    ChildLimits limits;
};

void FolderInPlaceOf(const char* path) {
    fs::remove(path);
    fs::create_directory(path);
    WriteFile(fs::path(path) / "keep", "kept");
}

void ReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Names in `folder` that a replacing write left behind ("<name>.XXXXXX").
std::vector<std::string> Leftovers(const fs::path& folder, const std::string& name) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        const std::string entryName = entry.path().filename().string();
        if (StartsWith(entryName, name + ".")) {
            found.push_back(entryName);
        }
    }
    return found;
}

// A contact of group "14" that intake admits; `serial` makes it distinct.
ContactCall Contact(const char* serial) {
    ContactCall contact;
    contact.exchSent = serial;
    return contact;
}

class FaultInjection : public PluginFolder {
  protected:
    // Runs the fault's calls in a child; false when the case was skipped.
    bool RunCase(const Fault& fault, const std::function<void()>& calls, ChildOutcome& outcome) {
        outcome = RunInChild(fault.limits, calls);
        if (outcome.skipped) {
            m_skipped += std::string(fault.name) + "; ";
            return false;
        }
        EXPECT_TRUE(outcome.clean) << outcome.description;
        return true;
    }

    // Reports the cases that could not run for want of an unprivileged user.
    void SkipIfAnySkipped() {
        if (!m_skipped.empty()) {
            GTEST_SKIP() << "cannot switch to user nobody, so these cases did not run: "
                         << m_skipped;
        }
    }

    // GetResult0 in a contest run of one group: a sound report whose claimed
    // score the host receives.
    void ExpectClaimedScoreHandedOver() {
        int result = 0;
        const char* report = plugin.Entry().getResult0(&result);
        ASSERT_NE(report, nullptr);
        ReportFigures figures;
        EXPECT_EQ(CheckReport(report, "UA3ABC", {"14"}, &figures), "");
        EXPECT_EQ(result, figures.claimed);
        EXPECT_NE(result, -1);
    }

  private:
    std::string m_skipped;
};

TEST_F(FaultInjection, AResetWithoutAReadableReferenceFileFailsWithItsMessage) {
    const Fault faults[] = {
        {"zelk.dat is a folder", [] { FolderInPlaceOf("Plugins/zelk.dat"); }, {}},
        {"the Plugins folder is missing", [] { fs::remove_all("Plugins"); }, {}},
        {"zelk.dat may not be read", [] { fs::permissions("Plugins/zelk.dat", fs::perms::none); },
         ChildLimits::Unprivileged()},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        FreshFolder();
        WriteFile("err.txt", "previous run\r\n");
        fault.make();
        ChildOutcome outcome;
        if (!RunCase(
                fault, [&] { EXPECT_EQ(Reset(plugin.Entry(), {}), 0); }, outcome)) {
            continue;
        }
        const std::vector<std::string> lines = Lines(outcome.standardError);
        ASSERT_EQ(lines.size(), 1u) << outcome.standardError;
        EXPECT_TRUE(lines[0].ends_with(std::string(": ") + std::string(kReferenceMissing)))
            << lines[0];
        EXPECT_EQ(ReadFile("err.txt"), "previous run\r\n");
    }
    SkipIfAnySkipped();
}

TEST_F(FaultInjection, AnUnwritableCabrilloFileIsReportedAndKeepsThePreviousOne) {
    const Fault faults[] = {
        {"UA3ABC.cbr is a folder", [] { FolderInPlaceOf("UA3ABC.cbr"); }, {}},
        {"the disk fills part way through the file", [] {}, ChildLimits::FileSize(16 * 1024)},
        {"the contest folder is read-only", [] { ReadOnly("."); }, ChildLimits::Unprivileged()},
    };
    constexpr int kContacts = 1000;  // a file of some 80 kB
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        FreshFolder();
        WriteFile(kSettings, kSettingsContent);
        WriteFile("UA3ABC.cbr", kPreviousCabrillo);
        fault.make();
        ChildOutcome outcome;
        const bool ran = RunCase(
            fault,
            [&] {
                ResetCall reset;
                reset.cabrilloWanted = 1;
                ASSERT_EQ(Reset(plugin.Entry(), reset), 1);
                for (int i = 1; i <= kContacts; ++i) {
                    const std::string serial = std::to_string(i);
                    ASSERT_EQ(Add(plugin.Entry(), Contact(serial.c_str())), 1);
                }
                ExpectClaimedScoreHandedOver();
            },
            outcome);
        if (!ran) {
            continue;
        }
        const std::vector<std::string> lines = Lines(outcome.standardError);
        ASSERT_EQ(lines.size(), 1u) << outcome.standardError;
        ASSERT_TRUE(StartsWith(lines[0], kOutputCaption)) << lines[0];
        EXPECT_FALSE(StartsWith(lines[0].substr(kOutputCaption.size()), kFileProduced)) << lines[0];
        if (fs::is_directory("UA3ABC.cbr")) {
            EXPECT_EQ(ReadFile("UA3ABC.cbr/keep"), "kept");
        } else {
            EXPECT_EQ(ReadFile("UA3ABC.cbr"), kPreviousCabrillo);
        }
        EXPECT_EQ(Leftovers(".", "UA3ABC.cbr"), std::vector<std::string>());
    }
    SkipIfAnySkipped();
}

TEST_F(FaultInjection, SettingsThatCannotBeSavedAreReportedBySetupOnlyAndKeptIntact) {
    // Without a stored coordinate, confirming the dialog stores one, so the
    // file must be rewritten.
    const std::string settings = "[Settings]\r\nName=Ivan\r\n";
    const std::string bigSettings = settings + "SoapBox=" + std::string(40000, 'x') + "\r\n";
    const Fault faults[] = {
        {"ZELK.ini is a folder", [] { FolderInPlaceOf(kSettings); }, {}},
        {"the Plugins folder is missing", [] { fs::remove_all("Plugins"); }, {}},
        {"the disk fills part way through the file", [] {}, ChildLimits::FileSize(32 * 1024)},
        {"the Plugins folder is read-only", [] { ReadOnly("Plugins"); },
         ChildLimits::Unprivileged()},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        FreshFolder();
        const std::string before = fault.limits.fileSizeLimit ? bigSettings : settings;
        WriteFile(kSettings, before);
        fault.make();
        ChildOutcome outcome;
        const bool ran = RunCase(
            fault,
            [&] {
                plugin.Entry().setupSet0();
                Reset(plugin.Entry(), {});
                EXPECT_EQ(Add(plugin.Entry(), Contact("001")), 1);
                ExpectClaimedScoreHandedOver();
            },
            outcome);
        if (!ran) {
            continue;
        }
        // Only the setup dialog tells the operator; the reset may add its own
        // message when the reference file went with the folder.
        const std::vector<std::string> lines = Lines(outcome.standardError);
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(StartsWith(lines[0], kSetupCaption)) << lines[0];
        for (std::size_t i = 1; i < lines.size(); ++i) {
            EXPECT_TRUE(lines[i].ends_with(kReferenceMissing)) << lines[i];
        }
        if (!fs::exists("Plugins")) {
            continue;  // and nothing made it again
        }
        if (fs::is_directory(kSettings)) {
            EXPECT_EQ(ReadFile("Plugins/ZELK.ini/keep"), "kept");
        } else {
            EXPECT_TRUE(ReadFile(kSettings) == before) << "the settings file changed";
        }
        EXPECT_EQ(Leftovers("Plugins", "ZELK.ini"), std::vector<std::string>());
    }
    SkipIfAnySkipped();
}

TEST_F(FaultInjection, AnErrorFileThatCannotBeWrittenChangesNoResult) {
    const Fault faults[] = {
        {"err.txt is a folder", [] { FolderInPlaceOf("err.txt"); }, {}},
        {"err.txt is at the file size limit", [] {}, ChildLimits::FileSize(24)},
        {"the contest folder is read-only", [] { ReadOnly("."); }, ChildLimits::Unprivileged()},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        FreshFolder();
        fault.make();
        ChildOutcome outcome;
        const bool ran = RunCase(
            fault,
            [&] {
                const EntryPoints& p = plugin.Entry();
                EXPECT_EQ(Reset(p, {}), 1);
                ContactCall wrongMode = Contact("001");
                wrongMode.mode = "SSB";
                EXPECT_EQ(Add(p, wrongMode), 0);
                ContactCall noExchange = Contact("002");
                noExchange.exchRcvd = "";
                EXPECT_EQ(Add(p, noExchange), 0);
                EXPECT_EQ(Add(p, Contact("003")), 1);
                CheckCallCall logged;
                EXPECT_EQ(CheckCall(p, logged), 0);
                ExpectClaimedScoreHandedOver();
            },
            outcome);
        if (!ran) {
            continue;
        }
        EXPECT_EQ(outcome.standardError, "");
        if (fs::is_directory("err.txt")) {
            EXPECT_EQ(ReadFile("err.txt/keep"), "kept");
        } else if (fs::exists("err.txt")) {
            EXPECT_EQ(ReadFile("err.txt"), kErrorFileTitle);
        }
    }
    SkipIfAnySkipped();
}

}  // namespace
}  // namespace zelk::reliability

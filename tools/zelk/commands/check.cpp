// zelk check: whether a call is new in a group after the log, asked of the
// plug-in (CheckCall0) as the logging program asks it while the operator
// types, with the reference text it answers.
#include <ostream>

#include "commands/command.h"
#include "commands/log_options.h"
#include "host/contest_folder.h"

namespace zelk::commands {

namespace {

struct CheckOptions {
    host::LogOptions input;
    std::string call;
    std::string group;
    std::string mode = "CW";
};

int RunCheck(const host::Installation& installation, const CheckOptions& options, std::ostream& out,
             std::ostream& err) {
    // zelk check passes no fallback coordinate to the plug-in.
    auto read =
        host::ReadContacts(options.input, host::StationCoordinate(options.input.folder, 0.0, 0.0));
    if (auto* problem = host::Problem(read)) {
        err << "zelk check: " << *problem << '\n';
        return kExitBadInput;
    }
    const host::LogReading& reading = std::get<host::LogReading>(read);
    host::ListNotes(err, "zelk check", options.input.log, reading);
    if (reading.SkippedCount() != 0) {
        err << "zelk check: the answer leaves out the " << reading.SkippedCount() << " skipped of "
            << reading.contacts.size() + reading.SkippedCount() << " contacts read\n";
    }
    host::ContestStart start;
    start.contestant = host::Contestant(options.input.call, reading);
    start.date = ContestDate(std::nullopt, reading);
    const std::filesystem::path folder =
        std::filesystem::absolute(options.input.folder).lexically_normal();
    auto opened = host::OpenContest(installation, folder);
    if (auto* problem = host::Problem(opened)) {
        err << "zelk check: " << *problem << '\n';
        return OpenFailureStatus(folder);
    }
    const host::Plugin& plugin = std::get<host::Plugin>(opened);
    if (!plugin.Reset(start)) {
        err << "zelk check: the plug-in would not start the contest\n";
        return kExitFailure;
    }
    for (const host::Contact& contact : reading.contacts) {
        plugin.Add(contact);
    }
    const host::CallCheck check = plugin.CheckCall(options.call, options.mode, options.group);
    out << options.call << (check.isNew ? " is new" : " was worked before") << " in group "
        << options.group << " (" << options.mode << ")\n";
    if (check.isNew) {
        out << "Reference: " << (check.reference.empty() ? "none" : check.reference) << '\n';
    }
    return kExitOk;
}

}  // namespace

Subcommand DeclareCheck(CLI::App& app, SharedInstallation installation) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* check = app.add_subcommand(
        "check",
        "Ask the plug-in whether CALL is new in a group after the log (CheckCall0), "
        "with its reference text");
    check->add_option("CALL", options->call, "Call sign to check")->required();
    check->add_option("--log", options->input.log, "ADIF log worked so far")->required();
    check->add_option("--group", options->group, "Group text, such as the band 14")->required();
    check->add_option("--mode", options->mode, "Mode")->capture_default_str();
    AddLogOptions(*check, options->input);
    return {check, [installation, options](std::ostream& out, std::ostream& err) {
                return RunCheck(*installation, *options, out, err);
            }};
}

}  // namespace zelk::commands

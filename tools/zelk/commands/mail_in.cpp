// zelk mail-in: one message on standard input, as a mail server's pipe
// delivery hands it over (Postfix's pipe, an alias "|command", .forward),
// taken into the contest folder as `zelk serve` takes an upload. The exit
// status is the mail server's: 0 taken (stored, or refused with an answer
// written to the outbox), 75 (EX_TEMPFAIL) when it could not be stored, so
// that the mail server keeps the message and tries again. The answers are
// sent by `zelk serve --smtp`, which reads the same outbox. POSIX only.
#include <exception>
#include <iostream>
#include <memory>

#include "commands/adjudicate_rules.h"
#include "commands/command.h"
#include "mail/mail_intake.h"
#include "serve/app.h"
#include "serve/contest_dir.h"
#include "serve/live_settings.h"

namespace zelk::commands {

namespace {

constexpr const char* kCommand = "zelk mail-in: ";
constexpr int kExitTempFail = 75;  // sysexits.h EX_TEMPFAIL: the mail server tries again

struct MailInOptions {
    std::filesystem::path folder;
    std::string deadline;
    std::optional<std::string> sender;
    serve::ServeSettings settings;
    std::shared_ptr<RulesOptions> rules;
    CLI::Option* maxUpload = nullptr;
};

// Up to `limit` bytes of standard input; the rest is read and dropped, so
// that the mail server's write never fails. Whether there was more.
bool ReadMessage(std::istream& in, std::size_t limit, std::string& bytes) {
    char buffer[65536];
    bool more = false;
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        const std::size_t room = limit - std::min(limit, bytes.size());
        bytes.append(buffer, std::min(room, got));
        more = more || got > room;
    }
    return more;
}

int RunMailIn(MailInOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    try {
        // The flags given go over the rules file's [serve] keys, as zelk serve's.
        serve::ServeFlags flags;
        if (!options.deadline.empty()) {
            flags.deadline = serve::ParseUtc(options.deadline);
            if (!flags.deadline) {
                err << kCommand << "--deadline '" << options.deadline
                    << "' is not a UTC time such as 2024-05-19T23:59\n";
                return kExitTempFail;
            }
        }
        if (*options.maxUpload) {
            flags.maxUploadBytes = options.settings.maxUploadBytes;
        }
        const serve::ContestDir dir(options.folder);
        options.rules->SetUsualRulesFile(dir.root / "contest.toml");
        auto rules = options.rules->Rules();
        if (auto* problem = std::get_if<std::string>(&rules)) {
            err << kCommand << *problem << '\n';
            return kExitTempFail;
        }
        serve::ServeSettings settings = serve::WithRules(
            options.settings, std::move(std::get<adjudication::CheckRules>(rules)), flags);
        // The answers to mail are the mail room's; the intake writes the
        // notices to earlier addresses.
        settings.lettersOut = true;

        std::string message;
        const bool tooLarge = ReadMessage(in, mail::MessageLimit(settings.maxUploadBytes), message);
        const serve::PreparedDir prepared = serve::PrepareContestDir(dir);
        serve::App app(settings, dir, prepared.token);
        mail::MailLedger ledger(dir.database);
        const mail::MailOutcome outcome =
            mail::TakeMail(message, app, ledger, serve::Now(), options.sender, tooLarge);
        out << kCommand << outcome.summary << '\n';
        return kExitOk;
    } catch (const std::exception& problem) {
        err << kCommand << "not taken (the mail server will try again): " << problem.what() << '\n';
        return kExitTempFail;
    }
}

}  // namespace

Subcommand DeclareMailIn(CLI::App& app) {
    auto options = std::make_shared<MailInOptions>();
    CLI::App* command = app.add_subcommand(
        "mail-in",
        "Takes one e-mail message from standard input into the contest folder, as a mail "
        "server's pipe delivers it: each attached log (or the message's text) is read, checked "
        "and stored as zelk serve takes an upload, and one answer is written to the outbox "
        "(sent by zelk serve --smtp). Automatic mail is never answered. Exit status 0 when the "
        "message was taken, 75 (EX_TEMPFAIL) when it could not be stored.");
    command->add_option("CONTEST_DIR", options->folder, "The contest's folder, as zelk serve's")
        ->required();
    command->add_option("--sender", options->sender,
                        "The message's envelope sender as the mail server got it (Postfix: "
                        "${sender}); empty for a bounce, which is never answered");
    command->add_option("--deadline", options->deadline,
                        "Last moment for logs, UTC, over the rules file's [serve] deadline, as "
                        "zelk serve's --deadline");
    options->maxUpload =
        command
            ->add_option("--max-upload", options->settings.maxUploadBytes,
                         "The largest log taken, over the rules file's [serve] max_upload, as "
                         "zelk serve's --max-upload")
            ->transform(CLI::AsSizeValue(false))
            ->check(CLI::Range(std::size_t{1024}, std::size_t{256} << 20))
            ->capture_default_str();
    options->rules = std::make_shared<RulesOptions>(*command, RulesOptions::Offer::kRulesOnly);
    return {command, [options](std::ostream& out, std::ostream& err) {
                return RunMailIn(*options, std::cin, out, err);
            }};
}

}  // namespace zelk::commands

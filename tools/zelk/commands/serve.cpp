// zelk serve: the contest's web log intake. Lays out the contest folder,
// opens the database, says where everything is, and serves until SIGINT or
// SIGTERM. POSIX only: the Windows build has no serve command.
#include <pthread.h>
#include <signal.h>

#include <exception>
#include <memory>
#include <ostream>
#include <thread>
#include <tuple>
#include <variant>

#include "commands/adjudicate_rules.h"
#include "commands/command.h"
#include "mail/mail_robot.h"
#include "serve/app.h"
#include "serve/contest_dir.h"
#include "serve/http_server.h"
#include "serve/live_settings.h"
#include "serve/serve_settings.h"

namespace zelk::commands {

namespace {

constexpr const char* kCommand = "zelk serve: ";
constexpr const char* kRulesFileName = "contest.toml";

struct ServeOptions {
    std::filesystem::path folder;
    std::string listen = "127.0.0.1:8080";
    std::string deadline;
    serve::ServeSettings settings;
    std::shared_ptr<RulesOptions> rules;
    // The flags that override the rules file's [serve] keys, once given.
    CLI::Option* maxUpload = nullptr;
    CLI::Option* uploadsAtOnce = nullptr;
    CLI::Option* uploadsPerHour = nullptr;
    CLI::Option* publicUrl = nullptr;
    // The log robot: mail in from a mailbox, letters out through a relay.
    std::string imap, imapCredentials, smtp, smtpCredentials, mailCa, mailFrom;
    std::string mailFromName = "Contest log robot";
    int imapEvery = 60, smtpRetry = 60, lettersPerMinute = 60;
};

// The robot's settings from the options; what is wrong, when anything is.
std::variant<mail::RobotSettings, std::string> RobotFrom(const ServeOptions& options) {
    mail::RobotSettings robot;
    robot.fetchEvery = std::chrono::seconds(options.imapEvery);
    robot.firstRetry = std::chrono::seconds(options.smtpRetry);
    robot.betweenLetters = std::chrono::milliseconds(60000 / options.lettersPerMinute);
    robot.from = {options.mailFrom, options.mailFromName};
    for (auto [url, credentials, target] :
         {std::tuple{&options.smtp, &options.smtpCredentials, &robot.relay},
          std::tuple{&options.imap, &options.imapCredentials, &robot.mailbox}}) {
        if (url->empty()) {
            continue;
        }
        auto server = mail::MailServerFrom(*url, *credentials, options.mailCa);
        if (auto* problem = std::get_if<std::string>(&server)) {
            return *problem;
        }
        *target = std::get<mail::MailServer>(std::move(server));
    }
    if (robot.relay && options.mailFrom.empty()) {
        return std::string("--smtp needs --mail-from, the address the letters come from");
    }
    return robot;
}

// SIGINT and SIGTERM, blocked before any other thread exists (the server's
// workers start with it), so that none of them is interrupted; then taken by
// one thread that stops the server.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

class StopOnSignal {
  public:
    explicit StopOnSignal(serve::HttpServer& server) {
        m_waiter = std::thread([this, &server] {
            int signal = 0;
            sigwait(&m_signals, &signal);
            server.Stop();
        });
    }
    ~StopOnSignal() {
        // Wakes the waiter when the server stopped on its own.
        pthread_kill(m_waiter.native_handle(), SIGTERM);
        m_waiter.join();
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

  private:
    const sigset_t m_signals = StopSignals();
    std::thread m_waiter;
};

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

// What the flags given say over the rules file.
serve::ServeFlags FlagsGiven(const ServeOptions& options) {
    serve::ServeFlags flags;
    flags.deadline = options.settings.deadline;
    if (*options.maxUpload) {
        flags.maxUploadBytes = options.settings.maxUploadBytes;
    }
    if (*options.uploadsAtOnce) {
        flags.uploadsAtOnce = options.settings.uploadsAtOnce;
    }
    if (*options.uploadsPerHour) {
        flags.uploadsPerHour = options.settings.uploadsPerHour;
    }
    if (*options.publicUrl) {
        flags.publicUrl = options.settings.publicUrl;
    }
    return flags;
}

std::string DeadlineLine(const serve::ServeSettings& settings) {
    if (!settings.deadline) {
        return "no deadline set";
    }
    const std::string deadline = serve::UtcTextForPeople(*settings.deadline);
    return serve::Now() > *settings.deadline
               ? "the deadline, " + deadline + ", has passed: only the organiser adds logs"
               : "logs received until " + deadline;
}

int RunServe(ServeOptions options, std::ostream& out, std::ostream& err) {
    const auto address = serve::ParseListen(options.listen);
    if (!address) {
        err << kCommand << "--listen '" << options.listen
            << "' is not an address and port such as 127.0.0.1:8080 or [::1]:8080\n";
        return kExitBadInput;
    }
    if (!options.deadline.empty()) {
        options.settings.deadline = serve::ParseUtc(options.deadline);
        if (!options.settings.deadline) {
            err << kCommand << "--deadline '" << options.deadline
                << "' is not a UTC time such as 2024-05-19T23:59\n";
            return kExitBadInput;
        }
    }
    auto robotSettings = RobotFrom(options);
    if (auto* problem = std::get_if<std::string>(&robotSettings)) {
        err << kCommand << *problem << '\n';
        return kExitBadInput;
    }
    options.settings.lettersOut = !options.smtp.empty();
    // A client that goes away mid-answer must not end the server.
    signal(SIGPIPE, SIG_IGN);
    const sigset_t stopSignals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    try {
        const serve::ContestDir dir(options.folder);
        options.rules->SetUsualRulesFile(dir.root / kRulesFileName);
        auto rules = options.rules->Rules();
        if (auto* problem = std::get_if<std::string>(&rules)) {
            err << kCommand << *problem << '\n';
            return kExitBadInput;
        }
        options.settings.rulesAtCheck = [rulesOptions = options.rules] {
            return rulesOptions->Rules();
        };
        const serve::ServeFlags flags = FlagsGiven(options);
        // The flags' values are the base the file's keys go over; the flags
        // given go over those again.
        serve::ServeSettings first = serve::WithRules(
            options.settings, std::move(std::get<adjudication::CheckRules>(rules)), flags);
        const std::filesystem::path rulesFile = options.rules->RulesFile();
        serve::SettingsSource source{options.settings, flags, options.rules->FollowedFile(),
                                     [rulesOptions = options.rules] {
                                         // The decisions are the check's; read at each check.
                                         return rulesOptions->Rules(false);
                                     }};
        serve::PreparedDir prepared = serve::PrepareContestDir(dir);
        std::error_code error;
        if (!std::filesystem::exists(dir.database, error)) {
            prepared.made.push_back(dir.database.string());
        }
        serve::App app(first, dir, prepared.token, std::move(source));
        const std::size_t leftovers = app.files.RemoveLeftovers();
        const std::size_t exports = serve::RemoveExportLeftovers(dir);
        serve::HttpServer server(app);
        const int port = server.Bind(*address);
        if (server.ConnectionLimit() < static_cast<std::size_t>(options.settings.maxConnections)) {
            err << kCommand << "warning: the process may open too few files for "
                << options.settings.maxConnections << " connections; it holds "
                << server.ConnectionLimit() << " (raise LimitNOFILE)\n";
        }

        const std::shared_ptr<const serve::ServeSettings> settings = app.settings.Current();
        const std::string host = address->host.find(':') != std::string::npos
                                     ? "[" + address->host + "]"
                                     : address->host;
        const std::string url = "http://" + host + ":" + std::to_string(port) + "/";
        const std::size_t current = app.submissions.Current().size();
        out << "zelk serve: the " << settings->ContestName() << " contest, "
            << DeadlineLine(*settings) << '\n';
        if (!prepared.made.empty()) {
            out << "  made now:       " << Listed(prepared.made) << '\n';
        }
        out << "  rules:          "
            << (rulesFile.empty()
                    ? std::string("the defaults and the flags (") + app.settings.File().string() +
                          " would hold them, read when it appears)"
                    : rulesFile.string() +
                          ", read again when it changes, and with its decisions at each check")
            << '\n';
        out << "  database:       " << dir.database.string() << " (schema "
            << app.submissions.SchemaVersion() << ", " << app.submissions.All().size()
            << " submissions, " << current << " current logs)\n"
            << "  stored logs:    " << dir.logs.string() << "/\n"
            << "  organiser:      token in " << dir.tokenFile.string() << "; " << url
            << "organiser\n"
            << "  check:          exports into " << dir.current.string() << "/, results into "
            << dir.results.string() << "/, published from " << dir.published.string() << "/\n";
        if (leftovers != 0) {
            out << "  removed " << leftovers
                << " unfinished upload files a previous run left in logs/\n";
        }
        if (exports != 0) {
            out << "  removed " << exports << " unfinished export folders a previous run left in "
                << dir.root.string() << "/\n";
        }
        if (settings->deadline && serve::Now() > *settings->deadline) {
            err << kCommand << "warning: the deadline, "
                << serve::UtcTextForPeople(*settings->deadline)
                << ", has passed: the public's uploads are refused ("
                << (flags.deadline ? std::string("--deadline gave it; over the rules file's")
                                   : "move [serve] deadline in " + app.settings.File().string() +
                                         ", taken without a restart")
                << ")\n";
        }
        for (const std::string& warning : prepared.warnings) {
            err << kCommand << "warning: " << warning << '\n';
        }
        const mail::RobotSettings& robot = std::get<mail::RobotSettings>(robotSettings);
        if (robot.relay || robot.mailbox) {
            out << "  mail:           "
                << (robot.mailbox ? "logs fetched from " + robot.mailbox->url + "; " : "")
                << (robot.relay ? "letters from " + robot.from.address + " through " +
                                      robot.relay->url + "; "
                                : "")
                << app.outbox.Counts().waiting << " letters waiting\n";
        }
        out << "listening on " << url << std::endl;

        mail::MailRobot mailRobot(app, robot, out);
        StopOnSignal stopper(server);
        if (!server.Run()) {
            err << kCommand << "the server could not serve on " << url << '\n';
            return kExitFailure;
        }
        out << "zelk serve: stopped" << std::endl;
    } catch (const std::exception& problem) {
        err << kCommand << problem.what() << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

Subcommand DeclareServe(CLI::App& app) {
    auto options = std::make_shared<ServeOptions>();
    serve::ServeSettings& settings = options->settings;
    CLI::App* command = app.add_subcommand(
        "serve",
        "The contest's web log intake: serves CONTEST_DIR on the web. Entrants upload their "
        "Cabrillo log and get a receipt at once (what was read, the lines that could not be, "
        "the score) and find their call in the list of logs received; the organiser (with the "
        "token in CONTEST_DIR/organiser-token) sees every submission, takes logs out and puts "
        "them back, sets an entry's category, runs the check on the current log of each call "
        "and publishes the results. The contest's settings (the deadline, contact, rules link, "
        "upload limits) are in CONTEST_DIR/contest.toml, read again when it changes. The folder "
        "is laid out on first start: submissions.sqlite, logs/, current/, results/, "
        "published/.");
    command->add_option("CONTEST_DIR", options->folder, "The contest's folder (made when absent)")
        ->required();
    command
        ->add_option("--listen", options->listen,
                     "Address and port to serve on; port 0 "
                     "takes any free port")
        ->capture_default_str();
    command->add_option("--deadline", options->deadline,
                        "Last moment for uploads, UTC, such as 2024-05-19T23:59; after it only "
                        "the organiser adds logs (default: the rules file's [serve] deadline, "
                        "else none)");
    // The contest's rules as zelk adjudicate takes them; without --rules,
    // CONTEST_DIR/contest.toml when it is there.
    options->rules = std::make_shared<RulesOptions>(*command, RulesOptions::Offer::kRulesOnly);
    CLI::Option* rules = command->get_option("--rules");
    rules->description(rules->get_description() +
                       "; without it, CONTEST_DIR/contest.toml when it is there. The rules "
                       "file is read again when it changes (its [serve] table: the deadline, "
                       "contact, rules link and upload limits), and with the decisions file at "
                       "each check");
    options->maxUpload =
        command
            ->add_option("--max-upload", settings.maxUploadBytes,
                         "The largest log taken, in bytes (suffixes KiB and MiB allowed); "
                         "larger uploads get 413 (over the rules file's [serve] max_upload)")
            ->transform(CLI::AsSizeValue(false))
            ->check(CLI::Range(std::size_t{1024}, std::size_t{256} << 20))
            ->capture_default_str();
    options->uploadsAtOnce =
        command
            ->add_option("--uploads-at-once", settings.uploadsAtOnce,
                         "Uploads one client address may have under way at once (over the "
                         "rules file's [serve] uploads_at_once)")
            ->check(CLI::Range(1, 10000))
            ->capture_default_str();
    options->uploadsPerHour =
        command
            ->add_option("--uploads-per-hour", settings.uploadsPerHour,
                         "Uploads one client address may make in an hour (over the rules "
                         "file's [serve] uploads_per_hour)")
            ->check(CLI::Range(1, 1000000))
            ->capture_default_str();
    command
        ->add_option("--read-timeout", settings.readTimeoutSeconds,
                     "Seconds a request's head may take from the connection (and any request "
                     "but an upload, whole), and an upload's longest pause; a client slower "
                     "is dropped")
        ->check(CLI::Range(1, 600))
        ->capture_default_str();
    command
        ->add_option("--upload-timeout", settings.uploadSeconds,
                     "Seconds one upload may take in all")
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();
    command->add_option("--threads", settings.threads, "Requests answered at once")
        ->check(CLI::Range(1, 1024))
        ->capture_default_str();
    command
        ->add_option("--max-connections", settings.maxConnections,
                     "Connections held at once; beyond them the one that has waited longest "
                     "for its request is dropped")
        ->check(CLI::Range(16, 100000))
        ->capture_default_str();
    command->add_flag("--behind-proxy", settings.behindProxy,
                      "Served through a reverse proxy on this machine: the client's address is "
                      "the last of X-Forwarded-For, and the organiser's cookie is Secure (the "
                      "proxy speaks TLS)");
    options->publicUrl =
        command->add_option("--public-url", settings.publicUrl,
                            "The site's address as entrants reach it (https://logs.example.org/), "
                            "for the links in letters (over the rules file's [serve] public_url)");
    command->add_option("--imap", options->imap,
                        "The contest's mailbox, imaps://host/INBOX (or imap:// with STARTTLS): "
                        "new messages are fetched and their logs taken");
    command->add_option("--imap-credentials", options->imapCredentials,
                        "File with the mailbox's user (first line) and password (second); mode "
                        "0600");
    command->add_option("--imap-every", options->imapEvery, "Seconds between fetches")
        ->check(CLI::Range(1, 86400))
        ->capture_default_str();
    command->add_option("--smtp", options->smtp,
                        "The mail relay, smtp://host:587 (STARTTLS) or smtps://host: receipts "
                        "and answers are sent through it");
    command->add_option("--smtp-credentials", options->smtpCredentials,
                        "File with the relay's user (first line) and password (second); mode "
                        "0600");
    command
        ->add_option("--smtp-retry", options->smtpRetry,
                     "Seconds before the first new try of a letter the relay did not take; "
                     "each next wait is twice the last, up to an hour")
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();
    command
        ->add_option("--letters-per-minute", options->lettersPerMinute,
                     "The most letters sent a minute")
        ->check(CLI::Range(1, 60000))
        ->capture_default_str();
    command->add_option("--mail-from", options->mailFrom,
                        "The address letters come from (logs@contest.example.org)");
    command->add_option("--mail-from-name", options->mailFromName, "The name letters come from")
        ->capture_default_str();
    command->add_option("--mail-ca", options->mailCa,
                        "Certificates (PEM) to trust for the mail servers beside the system's");
    return {command, [options](std::ostream& out, std::ostream& err) {
                return RunServe(*options, out, err);
            }};
}

}  // namespace zelk::commands

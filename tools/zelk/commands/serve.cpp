// zelk serve: the contest's web log intake. Lays out the contest folder,
// opens the database, says where everything is, and serves until SIGINT or
// SIGTERM. POSIX only: the Windows build has no serve command.
#include <pthread.h>
#include <signal.h>

#include <exception>
#include <memory>
#include <ostream>
#include <thread>

#include "commands/adjudicate_rules.h"
#include "commands/command.h"
#include "serve/app.h"
#include "serve/contest_dir.h"
#include "serve/http_server.h"
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
};

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
        options.settings.rules = std::move(std::get<adjudication::CheckRules>(rules));
        options.settings.contestName = options.settings.rules.contest;
        options.settings.rulesAtCheck = [rulesOptions = options.rules] {
            return rulesOptions->Rules();
        };
        const std::filesystem::path rulesFile = options.rules->RulesFile();
        serve::PreparedDir prepared = serve::PrepareContestDir(dir);
        std::error_code error;
        if (!std::filesystem::exists(dir.database, error)) {
            prepared.made.push_back(dir.database.string());
        }
        serve::App app(options.settings, dir, prepared.token);
        const std::size_t leftovers = app.files.RemoveLeftovers();
        serve::HttpServer server(app);
        const int port = server.Bind(*address);
        if (server.ConnectionLimit() < static_cast<std::size_t>(options.settings.maxConnections)) {
            err << kCommand << "warning: the process may open too few files for "
                << options.settings.maxConnections << " connections; it holds "
                << server.ConnectionLimit() << " (raise LimitNOFILE)\n";
        }

        const serve::ServeSettings& settings = app.settings;
        const std::string host = address->host.find(':') != std::string::npos
                                     ? "[" + address->host + "]"
                                     : address->host;
        const std::string url = "http://" + host + ":" + std::to_string(port) + "/";
        const std::size_t current = app.submissions.Current().size();
        out << "zelk serve: the " << settings.contestName << " contest, "
            << (settings.deadline
                    ? "logs received until " + serve::UtcTextForPeople(*settings.deadline)
                    : std::string("no deadline set"))
            << '\n';
        if (!prepared.made.empty()) {
            out << "  made now:       " << Listed(prepared.made) << '\n';
        }
        out << "  rules:          "
            << (rulesFile.empty() ? std::string("the defaults and the flags (") +
                                        (dir.root / kRulesFileName).string() + " would hold them)"
                                  : rulesFile.string() + ", read again at each check")
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
        for (const std::string& warning : prepared.warnings) {
            err << kCommand << "warning: " << warning << '\n';
        }
        out << "listening on " << url << std::endl;

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
        "token in CONTEST_DIR/organiser-token) sees every submission, runs the check on the "
        "latest log of each call and publishes the results. The folder is laid out on first "
        "start: submissions.sqlite, logs/, current/, results/, published/.");
    command->add_option("CONTEST_DIR", options->folder, "The contest's folder (made when absent)")
        ->required();
    command
        ->add_option("--listen", options->listen,
                     "Address and port to serve on; port 0 "
                     "takes any free port")
        ->capture_default_str();
    command->add_option("--deadline", options->deadline,
                        "Last moment for uploads, UTC, such as 2024-05-19T23:59; after it only "
                        "the organiser adds logs (default: none)");
    // The contest's rules as zelk adjudicate takes them; without --rules,
    // CONTEST_DIR/contest.toml when it is there.
    options->rules = std::make_shared<RulesOptions>(*command, RulesOptions::Offer::kRulesOnly);
    CLI::Option* rules = command->get_option("--rules");
    rules->description(rules->get_description() +
                       "; without it, CONTEST_DIR/contest.toml when it is there. The rules "
                       "and the decisions file are read again at each check");
    command
        ->add_option("--max-upload", settings.maxUploadBytes,
                     "The largest log taken, in bytes (suffixes KiB and MiB allowed); "
                     "larger uploads get 413")
        ->transform(CLI::AsSizeValue(false))
        ->check(CLI::Range(std::size_t{1024}, std::size_t{256} << 20))
        ->capture_default_str();
    command
        ->add_option("--uploads-at-once", settings.uploadsAtOnce,
                     "Uploads one client address may have under way at once")
        ->check(CLI::Range(1, 10000))
        ->capture_default_str();
    command
        ->add_option("--uploads-per-hour", settings.uploadsPerHour,
                     "Uploads one client address may make in an hour")
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
    return {command, [options](std::ostream& out, std::ostream& err) {
                return RunServe(*options, out, err);
            }};
}

}  // namespace zelk::commands

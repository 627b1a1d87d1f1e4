// Everything one served contest holds while it runs: its settings (followed
// as the rules file changes) and folder, the database and its outbox, the
// stored files, the intake, the check, the organiser's credentials and the
// upload limits. The HTTP routes and the mail room are thin clients of it.
#pragma once

#include <optional>
#include <string>

#include "serve/check_run.h"
#include "serve/contest_dir.h"
#include "serve/file_store.h"
#include "serve/intake.h"
#include "serve/live_settings.h"
#include "serve/organiser_auth.h"
#include "serve/outbox.h"
#include "serve/rate_limiter.h"
#include "serve/serve_settings.h"
#include "serve/submissions.h"

namespace zelk::serve {

// What the settings follow once serving: the rules file, read through
// `read`, with `base` under its keys and `flags` over them.
struct SettingsSource {
    ServeSettings base;
    ServeFlags flags;
    std::filesystem::path file;
    LiveSettings::ReadRules read;
};

struct App {
    // Opens (and migrates) the database; throws when it cannot. Without a
    // source the settings stay as given.
    App(ServeSettings first, const ContestDir& contestDir, std::string token,
        std::optional<SettingsSource> source = std::nullopt)
        : settings(source ? LiveSettings(first, std::move(source->base), source->flags,
                                         std::move(source->file), std::move(source->read))
                          : LiveSettings(first)),
          dir(contestDir),
          submissions(dir.database),
          outbox(dir.database),
          files(dir.logs),
          intake(submissions, files),
          checker(dir, submissions, files, settings),
          auth(std::move(token)),
          limiter(first.uploadsAtOnce, first.uploadsPerHour) {}

    App(const App&) = delete;
    App& operator=(const App&) = delete;

    LiveSettings settings;
    const ContestDir dir;
    SubmissionStore submissions;
    Outbox outbox;
    LogStore files;
    Intake intake;
    ContestChecker checker;
    OrganiserAuth auth;
    RateLimiter limiter;
};

}  // namespace zelk::serve

// Everything one served contest holds while it runs: its settings and
// folder, the database and its outbox, the stored files, the intake, the check, the
// organiser's credentials and the upload limits. The HTTP routes are thin
// clients of it.
#pragma once

#include <string>

#include "serve/check_run.h"
#include "serve/contest_dir.h"
#include "serve/file_store.h"
#include "serve/intake.h"
#include "serve/organiser_auth.h"
#include "serve/outbox.h"
#include "serve/rate_limiter.h"
#include "serve/serve_settings.h"
#include "serve/submissions.h"

namespace zelk::serve {

struct App {
    // Opens (and migrates) the database; throws when it cannot.
    App(ServeSettings serveSettings, const ContestDir& contestDir, std::string token)
        : settings(std::move(serveSettings)),
          dir(contestDir),
          submissions(dir.database),
          outbox(dir.database),
          files(dir.logs),
          intake(settings, submissions, files),
          checker(dir, submissions, files, settings),
          auth(std::move(token)),
          limiter(settings.uploadsAtOnce, settings.uploadsPerHour) {
        intake.WriteLetters(settings.lettersOut);
    }

    App(const App&) = delete;
    App& operator=(const App&) = delete;

    const ServeSettings settings;
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

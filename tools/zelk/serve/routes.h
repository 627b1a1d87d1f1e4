// The server's routes, public and the organiser's, added to the server's
// router over one App.
#pragma once

#include "serve/app.h"
#include "serve/http_message.h"
#include "serve/router.h"

namespace zelk::serve {

// GET /, POST /api/logs, GET /receipts/<id>/<key>, GET /received, GET /api/logs,
// GET /results/...
void AddPublicRoutes(Router& server, App& app);
// /organiser, its login, logout, check, publish, downloads and results.
void AddOrganiserRoutes(Router& server, App& app);

// The client's address, as the upload limits count it.
std::string ClientOf(const Request& request, App& app);

}  // namespace zelk::serve

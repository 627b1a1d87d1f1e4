// The server's routes, public and the organiser's, added to an httplib
// server over one App.
#pragma once

#include <httplib.h>

#include "serve/app.h"

namespace zelk::serve {

// GET /, POST /api/logs, GET /receipts/<id>/<key>, GET /received, GET /api/logs,
// GET /results/...
void AddPublicRoutes(httplib::Server& server, App& app);
// /organiser, its login, logout, check, publish, downloads and results.
void AddOrganiserRoutes(httplib::Server& server, App& app);

// The client's address, as the upload limits count it.
std::string ClientOf(const httplib::Request& request, App& app);

}  // namespace zelk::serve

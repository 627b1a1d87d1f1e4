// How the routes answer: a page or JSON as the client asks, refusals with a
// sentence, files of a results folder by names listed there (never by a path
// from the request), and handlers guarded so that every request is answered
// even when something throws.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "serve/http_message.h"

namespace zelk::serve {

bool ClientWantsJson(const Request& request);

void SendPage(Response& response, int status, const std::string& html);
void SendJson(Response& response, int status, const std::string& json);
// A refusal as JSON {"error"} or as a page with the sentence and a way back.
void SendRefusal(const Request& request, Response& response, int status, const std::string& title,
                 const std::string& sentence, const std::string& backHref = "/");
void SendRedirect(Response& response, const std::string& location);

// Serves `name` from `folder` when it is a regular file listed there (the
// top level, or ubn/<name> when `inUbn`); false when there is none.
bool SendResultFile(const std::filesystem::path& folder, const std::string& name, bool inUbn,
                    Response& response);

// A refusal the server gives by itself (no route, a request too large, too
// slow, garbled, a failure), in its own words for each status.
void SendServerRefusal(const Request& request, Response& response, int status);

// The handler, with whatever it throws answered as 500 and told on stderr.
Handler Guarded(Handler handler);

}  // namespace zelk::serve
